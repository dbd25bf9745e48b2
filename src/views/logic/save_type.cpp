#include "views/logic/save_type.h"

#include "document/props.h"
#include "formats/format_table.h"
#include "image/texture_format.h"
#include "quake/quake_layout.h"
#include "quake/sprite.h"
#include "quake/wad2.h"
#include "views/logic/editor_host.h"

bool apply_save_type(Animation *anim, const std::string &path, const std::string &type)
{
    if (!anim || type.empty())
        return true;
    if (type == WAD3_DESCRIPTION || type == WAD2_DESCRIPTION) {
        if (!extension_matches("*.wad", path.c_str()))
            return true;
        PropertyList *props = &anim->props;
        if (type == WAD3_DESCRIPTION)
            props_set_int(props, wad_layout::PROP_WAD_VERSION, wad_layout::WAD_VERSION_HALF_LIFE, PROPERTY_INTEGER);
        else if (const int at = props_find(props, wad_layout::PROP_WAD_VERSION))
            props_remove(props, at - 1);
        return true;
    }
    if (type == HALF_LIFE_SPRITE_DESCRIPTION && extension_matches("*.spr", path.c_str())) {
        const char *name = sprite_layout::PROP_TEXTURE_FORMAT;
        int format = props_find(&anim->props, name) ? props_get_int(&anim->props, name) : TEXTURE_NORMAL;
        if (!editor_host().ask_texture_format(format))
            return false;
        props_set_int(&anim->props, name, format, PROPERTY_TEXTURE_FORMAT);
    }
    return true;
}
