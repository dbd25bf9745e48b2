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

std::string frame_palette_note(const Animation *anim, int group)
{
    if (!anim || group < 0 || group >= anim->group_count
        || props_get_int(&anim->props, wad_layout::PROP_WAD_VERSION) != wad_layout::WAD_VERSION_HALF_LIFE
        || props_get_int(&anim->groups[group].props, wad_layout::PROP_ENTRY_TYPE) == wad_layout::ENTRY_OTHER)
        return {};
    return " (own palette)";
}
