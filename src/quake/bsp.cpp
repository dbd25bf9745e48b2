// Textures inside Quake maps. A map is read whole (the texture lump holds
// most of a small map's bytes anyway); only its texture lump is looked at,
// and a save writes every other byte back as it was. The map's surfaces
// refer to textures by their number in the lump, so a save may change a
// texture's pixels and size but never the lump's entries.
#include "quake/bsp.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include <strings.h>

#include <IL/il.h>

#include "document/animation.h"
#include "document/props.h"
#include "image/host_table.h"
#include "image/image_limits.h"
#include "image/quake_palette.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "platform/platform.h"
#include "quake/content_sniff.h"
#include "quake/palette_conform.h"
#include "quake/picture.h"
#include "quake/quake_layout.h"
#include "quake/size_questions.h"
#include "sniff/sniff.h"

using namespace bsp_layout;

namespace {

constexpr size_t MIP_HEADER = wad_layout::MIP_HEADER_SIZE;
constexpr int LEVELS = 4;
// Overlapping texture entries could make one texture's pixels many times
// over; all textures together may draw on this many times the file's bytes.
constexpr uint64_t SHARED_BYTES_FACTOR = 4;

struct Texture {
    int32_t entry = MISSING_TEXTURE; // offset in the lump, as stored
    std::string name;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t levels[LEVELS] = {}; // from the texture's start
    bool has_pixels = false;
    size_t end = 0;               // in the lump: where the texture's bytes end
    size_t palette_at = 0;        // in the lump: a Half-Life texture's colour count
    int palette_stored = 0;       // the colour count as stored
};

struct Map {
    uint32_t version = 0;
    bool half_life = false;
    int32_t offsets[LUMP_COUNT] = {};
    int32_t lengths[LUMP_COUNT] = {};
    size_t lump_at = 0;
    size_t lump_size = 0;
    std::vector<Texture> textures;
};

uint64_t level_bytes(uint32_t width, uint32_t height, int level)
{
    return static_cast<uint64_t>(width >> level) * (height >> level);
}

size_t align_up(size_t n) { return (n + LUMP_ALIGNMENT - 1) / LUMP_ALIGNMENT * LUMP_ALIGNMENT; }

// The name a texture has in the document: its own, or for an entry at -1,
// which has none, one that says where it stands.
std::string group_name_of(const Texture &texture, size_t index)
{
    if (texture.entry == MISSING_TEXTURE)
        return format_text("(missing %zu)", index);
    return texture.name;
}

bool same_name(const char *a, const std::string &b)
{
    return a && std::strlen(a) == b.size() && strncasecmp(a, b.c_str(), b.size()) == 0;
}

// Reads one texture entry of the lump; false with `why` when its header or
// pixels do not lie in the lump.
bool parse_texture(ByteReader lump, int32_t entry, bool half_life, Texture &texture, std::string &why)
{
    texture.entry = entry;
    if (entry == MISSING_TEXTURE)
        return true;
    const size_t size = lump.size();
    if (entry < 0 || static_cast<uint64_t>(entry) + MIP_HEADER > size) {
        why = format_text("a texture entry's offset %i lies outside its texture lump of %zu bytes", entry, size);
        return false;
    }
    lump.seek(static_cast<size_t>(entry));
    texture.name = lump.fixed_string(wad_layout::NAME_SIZE);
    texture.width = lump.u32();
    texture.height = lump.u32();
    bool any = false;
    for (uint32_t &level : texture.levels) {
        level = lump.u32();
        any = any || level != 0;
    }
    texture.end = static_cast<size_t>(entry) + MIP_HEADER;
    if (!any)
        return true; // its pixels are in a WAD the map names
    if (checked_area(texture.width, texture.height) == 0) {
        why = format_text("texture \"%s\" has an unusable size of %ux%u", texture.name.c_str(), texture.width,
                          texture.height);
        return false;
    }
    const uint64_t left = size - static_cast<uint64_t>(entry);
    for (int k = 0; k < LEVELS; ++k) {
        const uint64_t end = static_cast<uint64_t>(texture.levels[k]) + level_bytes(texture.width, texture.height, k);
        if (end > left) {
            why = format_text("the pixels of texture \"%s\" lie outside its texture lump", texture.name.c_str());
            return false;
        }
        if (entry + end > texture.end)
            texture.end = static_cast<size_t>(entry + end);
    }
    if (half_life) {
        const uint64_t at = static_cast<uint64_t>(entry) + texture.levels[LEVELS - 1]
                            + level_bytes(texture.width, texture.height, LEVELS - 1);
        lump.seek(static_cast<size_t>(at));
        texture.palette_stored = lump.u16();
        const uint64_t end = at + HALF_LIFE_PALETTE_COUNT_SIZE + 3 * static_cast<uint64_t>(texture.palette_stored);
        if (lump.short_read() || end > size) {
            why = format_text("the palette of texture \"%s\" lies outside its texture lump", texture.name.c_str());
            return false;
        }
        texture.palette_at = static_cast<size_t>(at);
        if (end > texture.end)
            texture.end = static_cast<size_t>(end);
    }
    texture.has_pixels = true;
    return true;
}

// The header and the texture lump, every offset and count checked against
// the file; false with `why` (without the file's name) otherwise.
bool parse_map(const uint8_t *data, size_t size, Map &map, std::string &why)
{
    if (size < HEADER_SIZE) {
        why = format_text("the file of %zu bytes is too short for a map's header", size);
        return false;
    }
    ByteReader in(data, size);
    map.version = in.u32();
    if (map.version != VERSION_QUAKE && map.version != VERSION_HALF_LIFE && map.version != MAGIC_BSP2
        && map.version != MAGIC_2PSB) {
        why = format_text("its version %u is none of a Quake or Half-Life map", map.version);
        return false;
    }
    map.half_life = map.version == VERSION_HALF_LIFE;
    for (int i = 0; i < LUMP_COUNT; ++i) {
        map.offsets[i] = in.i32();
        map.lengths[i] = in.i32();
        if (map.offsets[i] < 0 || map.lengths[i] < 0
            || static_cast<uint64_t>(map.offsets[i]) + static_cast<uint64_t>(map.lengths[i]) > size) {
            why = format_text("its lump %i (%i bytes at offset %i) lies outside the file of %zu bytes", i,
                              map.lengths[i], map.offsets[i], size);
            return false;
        }
        if (map.lengths[i] > 0 && static_cast<size_t>(map.offsets[i]) < HEADER_SIZE) {
            why = format_text("its lump %i (%i bytes at offset %i) overlaps the map's header", i, map.lengths[i],
                              map.offsets[i]);
            return false;
        }
    }
    map.lump_at = static_cast<size_t>(map.offsets[TEXTURE_LUMP]);
    map.lump_size = static_cast<size_t>(map.lengths[TEXTURE_LUMP]);
    if (map.lump_size == 0)
        return true;
    ByteReader lump(data + map.lump_at, map.lump_size);
    const int32_t count = lump.i32();
    if (lump.short_read() || count < 0 || static_cast<uint64_t>(count) > (map.lump_size - 4) / 4) {
        why = format_text("its texture lump of %zu bytes cannot hold the %i textures it claims", map.lump_size, count);
        return false;
    }
    map.textures.resize(static_cast<size_t>(count));
    for (Texture &texture : map.textures)
        if (!parse_texture(lump, lump.i32(), map.half_life, texture, why))
            return false;
    return true;
}

// Bytes of pixels the textures of a map decode to.
uint64_t pixel_total(const Map &map)
{
    uint64_t total = 0;
    for (const Texture &texture : map.textures)
        if (texture.has_pixels)
            for (int k = 0; k < LEVELS; ++k)
                total += level_bytes(texture.width, texture.height, k);
    return total;
}

// A Half-Life texture's palette as 256 RGBA entries (entries it lacks black).
std::vector<uint8_t> stored_palette(const uint8_t *lump, const Texture &texture)
{
    std::vector<uint8_t> palette(1024, 0);
    const int count = texture.palette_stored < 256 ? texture.palette_stored : 256;
    const uint8_t *rgb = lump + texture.palette_at + HALF_LIFE_PALETTE_COUNT_SIZE;
    for (int i = 0; i < 256; ++i) {
        if (i < count)
            std::memcpy(&palette[static_cast<size_t>(i) * 4], rgb + i * 3, 3);
        palette[static_cast<size_t>(i) * 4 + 3] = 255;
    }
    return palette;
}

// Fills `group` with a texture's four levels, read where its offsets say.
void read_texture(const uint8_t *lump, const Texture &texture, Group *group)
{
    ByteWriter canonical;
    canonical.zeros(wad_layout::NAME_SIZE);
    canonical.u32(texture.width);
    canonical.u32(texture.height);
    canonical.zeros(4 * LEVELS);
    for (int k = 0; k < LEVELS; ++k)
        canonical.bytes(lump + texture.entry + texture.levels[k],
                        static_cast<size_t>(level_bytes(texture.width, texture.height, k)));
    ByteReader in(canonical.data());
    mip_texture_read(in, group);
}

LoadResult refuse(const char *path, Animation *anim, const std::string &why)
{
    anim_destroy(anim);
    anim_init(anim);
    return load_refusal(format_text("Cannot read %s: %s", path, why.c_str()));
}

// The palette a Half-Life texture is written in: its first frame's, when
// that is 8-bit, else the one the map stored.
std::vector<uint8_t> palette_to_write(const Group &group, std::vector<uint8_t> fallback)
{
    host().bind_image(group.frames[0].image);
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || host().palette_size() <= 0)
        return fallback;
    host().convert_palette(IMAGE_RGBA);
    const uint8_t *palette = host().get_palette();
    const int count = host().palette_size() < 256 ? host().palette_size() : 256;
    if (!palette)
        return fallback;
    std::vector<uint8_t> own(1024, 0);
    std::memcpy(own.data(), palette, static_cast<size_t>(count) * 4);
    return own;
}

// A texture as the map stores it: header (the stored name field kept), four
// levels in order and, for Half-Life, its palette.
std::vector<uint8_t> encode_texture(Group *group, const uint8_t *old_header, bool half_life,
                                    const std::vector<uint8_t> &old_palette)
{
    const std::vector<uint8_t> palette = half_life ? palette_to_write(*group, old_palette) : std::vector<uint8_t>();
    ByteWriter out;
    {
        std::optional<ImpliedPalette> implied;
        if (half_life)
            implied.emplace(palette.data());
        mip_texture_write(out, group);
    }
    std::vector<uint8_t> bytes = out.data();
    if (old_header && bytes.size() >= wad_layout::NAME_SIZE)
        std::memcpy(bytes.data(), old_header, wad_layout::NAME_SIZE);
    if (half_life) {
        bytes.push_back(0);
        bytes.push_back(1); // 256 colours
        for (int i = 0; i < 256; ++i)
            bytes.insert(bytes.end(), &palette[static_cast<size_t>(i) * 4], &palette[static_cast<size_t>(i) * 4] + 3);
        bytes.resize(align_up(bytes.size()), 0);
    }
    return bytes;
}

bool refuse_save(const char *path, const std::string &why)
{
    show_warning(format_text("Cannot save %s: %s", path, why.c_str()));
    save_refused();
    return false;
}

// Puts `lump` in place of the map's texture lump: the bytes before it stay,
// those after it move by the change in its padded size, and the directory
// follows them. False with `why` when other lumps share its bytes.
bool splice_lump(const std::vector<uint8_t> &file, const Map &map, const std::vector<uint8_t> &lump,
                 std::vector<uint8_t> &out, std::string &why)
{
    const size_t start = map.lump_at;
    const size_t end = start + map.lump_size;
    size_t next = file.size();
    for (int i = 0; i < LUMP_COUNT; ++i) {
        if (i == TEXTURE_LUMP || map.lengths[i] == 0)
            continue;
        const size_t at = static_cast<size_t>(map.offsets[i]);
        if (at < end && at + static_cast<size_t>(map.lengths[i]) > start) {
            why = format_text("its lump %i shares bytes with the texture lump", i);
            return false;
        }
        if (at >= end && at < next)
            next = at;
    }
    // The padding after the old lump goes with it; the new one is padded.
    const size_t old_stop = align_up(end) < next ? align_up(end) : next;
    const size_t new_size = align_up(lump.size());
    if (start + new_size + (file.size() - old_stop) > static_cast<size_t>(INT32_MAX)) {
        why = "its textures would make the map larger than 2 GiB";
        return false;
    }
    out.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(start));
    out.insert(out.end(), lump.begin(), lump.end());
    out.resize(start + new_size, 0);
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(old_stop), file.end());
    const int64_t delta = static_cast<int64_t>(start + new_size) - static_cast<int64_t>(old_stop);
    auto put = [&out](size_t at, int64_t value) {
        for (int b = 0; b < 4; ++b)
            out[at + static_cast<size_t>(b)] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * b));
    };
    for (int i = 0; i < LUMP_COUNT; ++i) {
        const size_t field = 4 + static_cast<size_t>(i) * LUMP_ENTRY_SIZE;
        if (i == TEXTURE_LUMP)
            put(field + 4, static_cast<int64_t>(lump.size()));
        else if (static_cast<size_t>(map.offsets[i]) >= end)
            put(field, map.offsets[i] + delta);
    }
    return true;
}

// What a save does with one texture of the map.
enum class Change { Keep, InPlace, Rebuild };

std::string name_list(const std::vector<std::string> &names)
{
    std::string text;
    for (size_t k = 0; k < names.size() && k < 12; ++k)
        text += (k ? ", \"" : "\"") + names[k] + "\"";
    if (names.size() > 12)
        text += ", ...";
    return text;
}

} // namespace

bool bsp_texture_list(const uint8_t *data, size_t size, std::vector<MapTextureInfo> &textures, std::string &why)
{
    Map map;
    if (!parse_map(data, size, map, why))
        return false;
    textures.clear();
    for (const Texture &texture : map.textures)
        textures.push_back({texture.name, texture.width, texture.height, texture.has_pixels});
    return true;
}

LoadResult bsp_read(const char *path, Animation *anim)
{
    std::vector<uint8_t> bytes;
    if (!read_file(path, bytes))
        return load_not_mine();
    if (!sniff_bsp(ByteReader(bytes)))
        return refuse_foreign_file(path, bytes.data(), bytes.size(), "Quake map", true);
    Map map;
    std::string why;
    if (!parse_map(bytes.data(), bytes.size(), map, why))
        return refuse(path, anim, why);
    if (map.textures.empty())
        return refuse(path, anim, "the map holds no textures");
    const uint64_t total = pixel_total(map);
    if (total > pixel_budget() || total > SHARED_BYTES_FACTOR * bytes.size())
        return refuse(path, anim,
                      format_text("its textures decode to %s of pixels, more than the limit of %s or than %llu times "
                                  "the file's %s (entries that share bytes)",
                                  size_text(total).c_str(), size_text(pixel_budget()).c_str(),
                                  static_cast<unsigned long long>(SHARED_BYTES_FACTOR),
                                  size_text(bytes.size()).c_str()));

    props_set_int(&anim->props, PROP_MAP_VERSION, static_cast<int>(map.version), PROPERTY_INTEGER);
    const uint8_t *lump = bytes.data() + map.lump_at;
    std::vector<std::string> without;
    for (size_t i = 0; i < map.textures.size(); ++i) {
        const Texture &texture = map.textures[i];
        Group *group = anim_add_group(anim, group_name_of(texture, i).c_str());
        props_set_int(&group->props, wad_layout::PROP_ENTRY_TYPE, wad_layout::ENTRY_MIP_TEXTURE, PROPERTY_WAD_TYPE);
        if (!texture.has_pixels) {
            props_set_string(&group->props, PROP_NOTE,
                             texture.entry == MISSING_TEXTURE
                                 ? "Missing from the map: its entry in the texture lump is empty (-1)"
                                 : format_text("No pixels in the map: a %ux%u texture taken from a WAD", texture.width,
                                               texture.height)
                                       .c_str());
            without.push_back(group->name);
            continue;
        }
        read_texture(lump, texture, group);
        const std::vector<uint8_t> palette =
            map.half_life ? stored_palette(lump, texture) : std::vector<uint8_t>(default_palette, default_palette + 1024);
        for (int f = 0; f < group->frame_count; ++f) {
            host().bind_image(group->frames[f].image);
            host().set_palette(palette.data(), 256);
        }
    }
    if (!without.empty())
        platform().show_message(format_text("%s: %zu of its %zu textures have no pixels in the map and show as empty "
                                            "groups: %s",
                                            path, without.size(), map.textures.size(), name_list(without).c_str()),
                                MessageIcon::Information);
    return load_ok();
}

int32_t bsp_load(const char *path, Animation *anim) { return load_result_shown(bsp_read(path, anim)); }

int32_t bsp_save(const char *path, Animation *anim)
{
    std::vector<uint8_t> file;
    if (!read_file(path, file))
        return refuse_save(path, format_text("textures are written into the map already there, which cannot be read "
                                             "(%s)",
                                             std::strerror(errno ? errno : EIO)));
    Map map;
    std::string why;
    if (!sniff_bsp(ByteReader(file)) || !parse_map(file.data(), file.size(), map, why))
        return refuse_save(path, why.empty() ? "the file there is no Quake map to write textures into" : why);
    if (!frames_fit_for_saving(anim, QUAKE_MAX_SIDE, false, LIBRARY_MAX_IMAGE_BYTES))
        return 0;

    // Each texture of the map takes the first group of its name not yet taken.
    const size_t count = map.textures.size();
    std::vector<int> source(count, -1);
    std::vector<bool> taken(static_cast<size_t>(anim->group_count), false);
    for (size_t i = 0; i < count; ++i) {
        const std::string name = group_name_of(map.textures[i], i);
        for (int g = 0; g < anim->group_count && source[i] < 0; ++g)
            if (!taken[static_cast<size_t>(g)] && same_name(anim->groups[g].name, name)) {
                source[i] = g;
                taken[static_cast<size_t>(g)] = true;
            }
    }
    const bool from_map = props_find(&anim->props, PROP_MAP_VERSION) != 0;
    std::vector<std::string> unmatched;
    for (int g = 0; g < anim->group_count; ++g)
        if (!taken[static_cast<size_t>(g)])
            unmatched.push_back(anim->groups[g].name ? anim->groups[g].name : "");
    if (from_map) {
        if (!unmatched.empty())
            return refuse_save(path, format_text("the map has no texture %s; textures cannot be added to a map (its "
                                                 "surfaces refer to them by number) nor renamed in it",
                                                 name_list(unmatched).c_str()));
        std::vector<std::string> removed;
        for (size_t i = 0; i < count; ++i)
            if (source[i] < 0 || (map.textures[i].has_pixels && anim->groups[source[i]].frame_count == 0))
                removed.push_back(group_name_of(map.textures[i], i));
        if (!removed.empty())
            return refuse_save(path, format_text("the document lacks the map's texture %s; textures cannot be removed "
                                                 "from a map (its surfaces refer to them by number)",
                                                 name_list(removed).c_str()));
    }

    // What happens to each texture, asked about before anything is encoded.
    std::vector<Change> changes(count, Change::Keep);
    std::vector<std::string> replaced;
    for (size_t i = 0; i < count; ++i) {
        const Texture &texture = map.textures[i];
        if (source[i] < 0)
            continue;
        const Group &group = anim->groups[source[i]];
        if (group.frame_count == 0) {
            if (texture.has_pixels)
                unmatched.push_back(group.name ? group.name : "");
            continue;
        }
        if (texture.entry == MISSING_TEXTURE)
            return refuse_save(path, format_text("\"%s\" has no entry in the map's texture lump to hold pixels",
                                                 group.name ? group.name : ""));
        host().bind_image(group.frames[0].image);
        const int width = host().width();
        const int height = host().height();
        const bool same_size = static_cast<uint32_t>(width) == texture.width
                               && static_cast<uint32_t>(height) == texture.height;
        if (!same_size) {
            const std::string question = format_text(
                "Texture \"%s\" is %ix%i but the map's is %ux%u: the map's texture mapping will stretch it over its "
                "surfaces. Save it anyway?",
                group.name ? group.name : "", width, height, texture.width, texture.height);
            if (!ask_question(question)) {
                save_refused();
                return 0;
            }
            if (!size_question_allows(MIP_SIZE_QUESTION, width, height))
                return 0;
        }
        const bool whole_palette = !map.half_life || texture.palette_stored == 256;
        changes[i] = same_size && texture.has_pixels && whole_palette ? Change::InPlace : Change::Rebuild;
        replaced.push_back(group.name ? group.name : "");
    }

    const RemapReport remaps(map.half_life ? "the texture's palette" : "the Quake palette");
    // Half-Life textures carry palettes of their own, without fullbrights.
    const FullbrightCheck fullbrights(path, map.half_life ? nullptr : default_palette);
    const uint8_t *old_lump = file.data() + map.lump_at;
    std::vector<uint8_t> lump(old_lump, old_lump + map.lump_size);
    std::vector<std::vector<uint8_t>> encoded(count);
    bool rebuild = false;
    for (size_t i = 0; i < count; ++i) {
        if (changes[i] == Change::Keep)
            continue;
        const Texture &texture = map.textures[i];
        const std::vector<uint8_t> old_palette =
            texture.has_pixels && map.half_life ? stored_palette(old_lump, texture)
                                                : std::vector<uint8_t>(default_palette, default_palette + 1024);
        encoded[i] = encode_texture(&anim->groups[source[i]], old_lump + texture.entry, map.half_life, old_palette);
        if (changes[i] == Change::Rebuild) {
            rebuild = true;
            continue;
        }
        // Same size: the levels (and palette) go where the map keeps them.
        size_t from = MIP_HEADER;
        for (int k = 0; k < LEVELS; ++k) {
            const size_t n = static_cast<size_t>(level_bytes(texture.width, texture.height, k));
            std::memcpy(lump.data() + texture.entry + texture.levels[k], encoded[i].data() + from, n);
            from += n;
        }
        if (map.half_life)
            std::memcpy(lump.data() + texture.palette_at, encoded[i].data() + from, HALF_LIFE_PALETTE_COUNT_SIZE + 768);
    }
    if (rebuild) {
        // The entries keep their order and numbers; each texture is laid
        // out anew, 4-aligned.
        ByteWriter out;
        out.i32(static_cast<int32_t>(count));
        out.zeros(4 * count);
        for (size_t i = 0; i < count; ++i) {
            const Texture &texture = map.textures[i];
            if (texture.entry == MISSING_TEXTURE) {
                out.patch_u32(4 + 4 * i, static_cast<uint32_t>(MISSING_TEXTURE));
                continue;
            }
            out.zeros(align_up(out.size()) - out.size());
            out.patch_u32(4 + 4 * i, static_cast<uint32_t>(out.size()));
            if (changes[i] != Change::Keep)
                out.bytes(encoded[i].data(), encoded[i].size());
            else
                out.bytes(old_lump + texture.entry, texture.end - static_cast<size_t>(texture.entry));
        }
        lump = out.data();
    }

    std::vector<uint8_t> result;
    if (!rebuild) {
        result = file;
        if (!lump.empty())
            std::memcpy(result.data() + map.lump_at, lump.data(), lump.size());
    } else if (!splice_lump(file, map, lump, result, why)) {
        return refuse_save(path, why);
    }
    // The map written must read back as one: a fault here leaves the old
    // map in place.
    Map check;
    if (!parse_map(result.data(), result.size(), check, why) || check.textures.size() != count)
        return refuse_save(path, "the textures could not be laid out in the map (" + why + ")");

    OutputFile output;
    if (!output.open(path) || !output.write(result.data(), result.size()) || !output.finish())
        return 0;
    remaps.tell(path);
    if (!from_map) {
        std::string report = format_text("%s: %zu texture%s replaced", path, replaced.size(),
                                         replaced.size() == 1 ? "" : "s");
        if (!replaced.empty())
            report += " (" + name_list(replaced) + ")";
        if (!unmatched.empty())
            report += format_text("; %zu had no match in the map (%s)", unmatched.size(), name_list(unmatched).c_str());
        platform().show_message(report, MessageIcon::Information);
    }
    return 1;
}
