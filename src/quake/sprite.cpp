// Quake sprites, versions 1 and 2. Version 1 frames are palette indexes into
// the implied Quake palette; version 2 carries its own palette after the
// header. A file of version 32 shares the layout and is handed to the 32-bit
// sprite reader.
#include "quake/sprite.h"

#include <cstring>
#include <vector>

#include <IL/il.h>

#include "document/animation.h"
#include "document/props.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "sniff/sniff.h"
#include "image/image_limits.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "quake/content_sniff.h"
#include "quake/size_questions.h"
#include "quake/quake_layout.h"
#include "image/quake_palette.h"
#include "quake/sprite_codec.h"

using namespace sprite_layout;

namespace {

// Reads the version 2 palette block into `palette` (at most 256 entries) and
// returns the colour count, which is below 1 when the file gives none. Every entry gets
// alpha 0. Entries past 256 are consumed but cannot be used by 8-bit frames.
int read_palette_block(ByteReader &in, uint8_t *palette)
{
    const int count = static_cast<int16_t>(in.u16());
    if (count < 1)
        return count;
    for (int i = 0; i < count; ++i) {
        uint8_t rgb[PALETTE_ENTRY_SIZE];
        in.bytes(rgb, sizeof rgb);
        if (i < 256) {
            std::memcpy(palette + i * 4, rgb, sizeof rgb);
            palette[i * 4 + 3] = 0;
        }
    }
    return count < 256 ? count : 256;
}

// The highest palette index any 8-bit frame uses; -1 when there is none.
int highest_index_used(const Animation *anim)
{
    int highest = -1;
    for (int g = 0; g < anim->group_count; ++g)
        for (int f = 0; f < anim->groups[g].frame_count; ++f) {
            anim_bind_frame(anim, g, f);
            if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) != 1)
                continue;
            const uint8_t *data = host().get_data();
            const uint64_t n = bound_image_bytes();
            for (uint64_t i = 0; data && i < n && highest < 255; ++i)
                if (data[i] > highest)
                    highest = data[i];
        }
    return highest;
}

// A version 2 palette may hold fewer colours than the frames' indexes reach.
// Such indexes are kept, and the palette grows with black entries up to the
// highest one used, so that every pixel shows, converts and saves back as
// the index it has rather than as one the libraries would substitute.
void cover_indexes_used(const char *path, Animation *anim, uint8_t *palette, int count)
{
    const int highest = highest_index_used(anim);
    if (highest < count)
        return;
    // Entries past `count` are still the zeros they were made with.
    for (int g = 0; g < anim->group_count; ++g)
        for (int f = 0; f < anim->groups[g].frame_count; ++f) {
            anim_bind_frame(anim, g, f);
            if (ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX)
                host().set_palette(palette, highest + 1);
        }
    show_warning(format_text("Sprite %s: its palette holds %i colour%s but its pixels use indexes up to %i; the "
                             "indexes are kept and entries %i to %i were added as black",
                             path, count, count == 1 ? "" : "s", highest, count, highest));
}

} // namespace

LoadResult quake_sprite_read(const char *path, Animation *anim)
{
    std::vector<uint8_t> bytes;
    if (!read_file(path, bytes))
        return load_not_mine();
    ByteReader in(bytes);
    int32_t claimed_version = 0;
    if (!sniff_quake_sprite(in, claimed_version))
        return refuse_foreign_file(path, bytes.data(), bytes.size(), "Quake sprite", true);
    SpriteHeader header = sprite_read_header(in);
    if (header.version == VERSION_TRUECOLOUR)
        return sprite32_read(path, anim);
    if (header.version != VERSION_QUAKE && header.version != VERSION_PALETTED)
        return refuse_foreign_file(path, bytes.data(), bytes.size(), "Quake sprite", true);

    // Version 2 comes in two layouts: ours, and Half-Life's with a texture
    // format after the type. The one whose frames end exactly at the end of
    // the file is the file's; ours when both or neither do.
    if (header.version == VERSION_PALETTED) {
        ByteReader ours = in;
        const int ours_count = static_cast<int16_t>(ours.u16());
        ours.skip(ours_count > 0 ? static_cast<size_t>(ours_count) * PALETTE_ENTRY_SIZE : 0);
        ByteReader theirs(bytes);
        const SpriteHeader half_life = sprite_read_half_life_header(theirs);
        const int theirs_count = static_cast<int16_t>(theirs.u16());
        theirs.skip(theirs_count > 0 ? static_cast<size_t>(theirs_count) * PALETTE_ENTRY_SIZE : 0);
        if (!sprite_entries_end_at_file_end(ours, header.entry_count)
            && sprite_entries_end_at_file_end(theirs, half_life.entry_count)) {
            header = half_life;
            in = ByteReader(bytes);
            sprite_read_half_life_header(in);
        }
    }
    sprite_set_header_properties(anim, header);
    std::vector<std::string> refusal;
    SpritePixels pixels{1, default_palette, 256, true, path, &refusal};
    uint8_t own_palette[256 * 4] = {};
    if (header.version == VERSION_PALETTED) {
        props_set_int(&anim->props, PROP_VERSION, VERSION_PALETTED, PROPERTY_INTEGER);
        const int count = read_palette_block(in, own_palette);
        if (count < 1) {
            // Frames without a palette would show nothing meaningful.
            sprite_give_up(pixels, anim, format_text("Cannot read %s: its sprite palette holds %i colours; at least 1 is needed", path, count));
            return {LoadStatus::Refused, std::move(refusal)};
        }
        pixels.palette = own_palette;
        pixels.palette_count = count;
    }
    if (!sprite_read_entries(in, header, pixels, anim))
        return {LoadStatus::Refused, std::move(refusal)};
    if (header.version == VERSION_PALETTED && pixels.palette_count < 256)
        cover_indexes_used(path, anim, own_palette, pixels.palette_count);
    return load_ok();
}

int32_t quake_sprite_load(const char *path, Animation *anim) { return load_result_shown(quake_sprite_read(path, anim)); }

int32_t quake_sprite_save(const char *path, Animation *anim)
{
    if (!sprite_frames_fit(anim, 1))
        return 0;
    // Asked once per group, about its first frame of an unsuitable size.
    for (int i = 0; i < anim->group_count; ++i) {
        const Group &group = anim->groups[i];
        for (int j = 0; j < group.frame_count; ++j) {
            host().bind_image(group.frames[j].image);
            if (size_suits(SPRITE_SIZE_QUESTION, host().width(), host().height()))
                continue;
            if (!size_question_allows(SPRITE_SIZE_QUESTION, host().width(), host().height()))
                return 0;
            break;
        }
    }
    // A texture format asks for the Half-Life layout, which is version 2.
    const int32_t version =
        props_get_int(&anim->props, PROP_VERSION) == VERSION_PALETTED || props_find(&anim->props, PROP_TEXTURE_FORMAT)
            ? VERSION_PALETTED
            : VERSION_QUAKE;
    return sprite_write(path, anim, version);
}
