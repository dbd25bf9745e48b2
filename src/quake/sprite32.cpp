// 32-bit sprites: the Quake sprite layout with version 32 and frames of
// red, green, blue and alpha bytes, so no palette is involved.
#include "quake/sprite.h"

#include <vector>

#include "io/byte_io.h"
#include "sniff/sniff.h"
#include "quake/quake_layout.h"
#include "quake/sprite_codec.h"

using namespace sprite_layout;

LoadResult sprite32_read(const char *path, Animation *anim)
{
    std::vector<uint8_t> bytes;
    if (!read_file(path, bytes))
        return load_not_mine();
    ByteReader in(bytes);
    int32_t version = 0;
    if (!sniff_quake_sprite(in, version) || version != VERSION_TRUECOLOUR)
        return load_not_mine();
    const SpriteHeader header = sprite_read_header(in);
    sprite_set_header_properties(anim, header);
    // Frame sides are bounded as for 8-bit sprites, and a group must say how
    // many frames it has: there is no size to estimate the count from.
    std::vector<std::string> refusal;
    const SpritePixels pixels{4, nullptr, 0, false, path, &refusal};
    if (!sprite_read_entries(in, header, pixels, anim))
        return {LoadStatus::Refused, std::move(refusal)};
    return load_ok();
}

int32_t sprite32_load(const char *path, Animation *anim) { return load_result_shown(sprite32_read(path, anim)); }

int32_t sprite32_save(const char *path, Animation *anim)
{
    if (!sprite_frames_fit(anim, 4))
        return 0;
    return sprite_write(path, anim, VERSION_TRUECOLOUR);
}
