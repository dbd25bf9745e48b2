#include "views/logic/texture_drawing.h"

#include "document/props.h"
#include "quake/quake_layout.h"

int group_texture_format(const Animation *anim, int group)
{
    const char *name = sprite_layout::PROP_TEXTURE_FORMAT;
    if (!anim)
        return -1;
    if (group >= 0 && group < anim->group_count && props_find(&anim->groups[group].props, name))
        return props_get_int(&anim->groups[group].props, name);
    return props_find(&anim->props, name) ? props_get_int(&anim->props, name) : -1;
}
