// WAD2 archives: a header, the lump bodies and a directory of 32-byte
// entries. Every lump that holds an image becomes one group named after the
// lump, its kind kept in the group's "Entry Type" so that a save writes the
// same kinds back. Lump bodies go through the picture and texture codecs.
#include "quake/wad2.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <string>
#include <vector>

#include <IL/il.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "document/animation.h"
#include "document/props.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "sniff/sniff.h"
#include "image/image_limits.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "quake/content_sniff.h"
#include "quake/half_life_texture.h"
#include "image/own_palette.h"
#include "image/texture_format.h"
#include "quake/palette_conform.h"
#include "quake/picture.h"
#include "quake/quake_layout.h"
#include "image/quake_palette.h"
#include "quake/size_questions.h"

using namespace wad_layout;

namespace {

struct DirectoryEntry {
    int32_t offset;
    int32_t disk_size;
    int32_t size;
    uint8_t type;
    std::string name; // cut at the first NUL and at 16 characters
};

DirectoryEntry read_entry(ByteReader &in)
{
    DirectoryEntry entry;
    entry.offset = in.i32();
    entry.disk_size = in.i32();
    entry.size = in.i32();
    entry.type = in.u8();
    in.skip(3); // compression (never used) and padding
    entry.name = in.fixed_string(NAME_SIZE);
    return entry;
}

// The archive file, read a part at a time: a lump's bytes are read when it
// is decoded, into a buffer used again for the next one, rather than the
// whole file being held in memory beside the images made from it. Files
// that cannot be read at an offset (a pipe) are read whole first.
class Archive {
public:
    Archive() = default;
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;
    ~Archive()
    {
        if (fd_ >= 0)
            close(fd_);
    }

    // False with errno set when the file cannot be opened or read.
    bool open(const char *path)
    {
        fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            return false;
        struct stat st;
        if (fstat(fd_, &st) != 0)
            return false;
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (S_ISREG(st.st_mode)) {
            if (static_cast<uint64_t>(st.st_size) > MAX_FILE) {
                errno = EFBIG;
                return false;
            }
            size_ = static_cast<uint64_t>(st.st_size);
            return true;
        }
        whole_ = true;
        if (!read_file(path, all_, MAX_FILE))
            return false;
        size_ = all_.size();
        return true;
    }

    uint64_t size() const { return size_; }

    // Up to `n` bytes from `offset`, fewer where the file ends (or, should
    // it shrink meanwhile, where it now ends). Valid until the next call.
    ByteReader part(uint64_t offset, uint64_t n) { return read_into(buffer_, offset, n); }
    // The same into a buffer of its own, for a lump's header.
    ByteReader head(uint64_t offset, uint64_t n) { return read_into(head_, offset, n); }

    // The whole file, for telling what a file that is no archive holds.
    const std::vector<uint8_t> &whole()
    {
        if (!whole_) {
            all_.clear();
            ByteReader in = part(0, size_);
            all_.assign(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(in.size()));
            whole_ = true;
        }
        return all_;
    }

private:
    static constexpr uint64_t MAX_FILE = uint64_t(1) << 30;

    ByteReader read_into(std::vector<uint8_t> &buffer, uint64_t offset, uint64_t n)
    {
        if (offset >= size_ || n == 0)
            return ByteReader(nullptr, 0);
        const uint64_t take = n < size_ - offset ? n : size_ - offset;
        if (whole_)
            return ByteReader(all_.data() + offset, static_cast<size_t>(take));
        if (buffer.size() < take)
            buffer.resize(static_cast<size_t>(take));
        size_t filled = 0;
        while (filled < take) {
            const ssize_t got = pread(fd_, buffer.data() + filled, static_cast<size_t>(take) - filled,
                                      static_cast<off_t>(offset + filled));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            filled += static_cast<size_t>(got);
        }
        return ByteReader(buffer.data(), filled);
    }

    int fd_ = -1;
    uint64_t size_ = 0;
    bool whole_ = false;
    std::vector<uint8_t> all_;
    std::vector<uint8_t> buffer_;
    std::vector<uint8_t> head_;
};

// The bytes a lump's header takes at most (a mip texture's).
constexpr uint64_t LUMP_HEAD_SIZE = MIP_HEADER_SIZE;

// True when the first bytes of `body` are those of `head`: the lump did not
// change between the reading of its header and of its body.
bool same_head(const ByteReader &head, const uint8_t *body, size_t body_size)
{
    const size_t n = head.size() < body_size ? head.size() : body_size;
    ByteReader copy = head;
    const uint8_t *bytes = copy.take(n);
    return n == 0 || (bytes && std::memcmp(bytes, body, n) == 0);
}

void report_progress(int64_t done, int64_t total)
{
    platform().set_progress(total > 0 ? static_cast<int>(done * 100 / total) : 0);
}

LoadResult give_up(Animation *anim, const std::string &message)
{
    platform().set_progress(-1);
    anim_destroy(anim);
    anim_init(anim);
    return load_refusal(message);
}

// A group of one fresh frame, named after the lump, with its entry type.
Group *add_lump_group(Animation *anim, const DirectoryEntry &entry, int entry_type, int frames)
{
    Group *group = anim_add_group(anim, entry.name.c_str());
    props_set_int(&group->props, PROP_ENTRY_TYPE, entry_type, PROPERTY_WAD_TYPE);
    group_reset_frames(group, frames);
    return group;
}

// Bytes a mip texture's four levels take after its header; 0 when the
// stored size is not one the reader accepts.
uint64_t mip_levels_size(uint32_t width, uint32_t height)
{
    if (checked_area(width, height) == 0)
        return 0;
    uint64_t total = 0;
    for (int k = 0; k < 4; ++k)
        total += static_cast<uint64_t>(width >> k) * (height >> k);
    return total;
}

// What reading one lump takes: `cost`, the bytes the document keeps for it
// (pixels and frame overhead), and `span`, the bytes of the file its pixels
// come from.
struct LumpExtent {
    uint64_t cost = 0;
    uint64_t span = 0;
};

bool lump_bytes(uint64_t file_size, const DirectoryEntry &entry, size_t &offset, size_t &size);
LumpExtent kept_extent(uint64_t file_size, const DirectoryEntry &entry);

// Lumps that do not overlap draw their pixels from at most the whole file;
// directory entries that share bytes could make one lump's pixels many
// times over. The bytes all lumps draw on may be this many times the file's.
constexpr uint64_t SHARED_BYTES_FACTOR = 4;

// What the reading of one archive may still take.
struct LumpAllowance {
    uint64_t cost;
    uint64_t span;
};

// What one frame costs the document beside its pixels: the 256-entry palette
// every frame of an archive carries, and the image's own record.
constexpr uint64_t FRAME_OVERHEAD = 256 * 4 + 256;

// Keeps a lump the editor cannot show as a group of its own, byte for byte.
// False when its bytes do not lie in the file.
bool keep_lump(Archive &file, const DirectoryEntry &entry, Animation *anim)
{
    size_t offset = 0, size = 0;
    if (!lump_bytes(file.size(), entry, offset, size))
        return false;
    ByteReader in = file.part(offset, size);
    const uint8_t *bytes = in.take(size);
    if (size && !bytes)
        return false;
    Group *group = add_lump_group(anim, entry, ENTRY_OTHER, 1);
    props_set_int(&group->props, PROP_LUMP_TYPE, entry.type, PROPERTY_INTEGER);
    props_set_int(&group->props, PROP_LUMP_SIZE, static_cast<int32_t>(size), PROPERTY_INTEGER);
    const size_t width = size < 1 ? 1 : size < OTHER_LUMP_WIDTH ? size : OTHER_LUMP_WIDTH;
    const size_t height = size < 1 ? 1 : (size + width - 1) / width;
    std::vector<uint8_t> pixels(width * height, 0);
    if (size)
        std::memcpy(pixels.data(), bytes, size);
    host().bind_image(group->frames[0].image);
    ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
               pixels.data());
    host().set_upper_left_origin();
    return true;
}

// The lump types of a WAD3 the editor shows, and the entry type of each.
int half_life_entry_type(uint8_t type)
{
    switch (type) {
    case TYPE_HALF_LIFE_MIP: return ENTRY_MIP_TEXTURE;
    case TYPE_PICTURE: return ENTRY_PICTURE;
    case TYPE_HALF_LIFE_FONT: return ENTRY_FONT;
    default: return ENTRY_OTHER;
    }
}

// A WAD3 lump is read from the bytes its directory entry gives it (a lump
// and its palette have no one size field to check against): what it takes
// is bounded by those bytes, which the pixels of its levels never exceed.
LumpExtent half_life_extent(uint64_t file_size, const DirectoryEntry &entry)
{
    const LumpExtent kept = kept_extent(file_size, entry);
    if (kept.span == 0 && kept.cost == 0)
        return {};
    return {kept.cost + 3 * FRAME_OVERHEAD, kept.span};
}

// The padding after a WAD3 lump's block: to a multiple of four bytes.
size_t half_life_padding(size_t size) { return (4 - size % 4) % 4; }

// Reads one WAD3 lump: a texture, picture or font as a group, anything else
// (or one whose block does not lie whole in its bytes, or is followed by
// more than its padding) kept byte for byte. False when its bytes do not lie
// in the file.
bool read_half_life_lump(Archive &file, const DirectoryEntry &entry, Animation *anim)
{
    size_t offset = 0, size = 0;
    if (!lump_bytes(file.size(), entry, offset, size))
        return false;
    const int entry_type = half_life_entry_type(entry.type);
    if (entry_type != ENTRY_OTHER && entry.size == entry.disk_size) {
        ByteReader part = file.part(offset, size);
        const uint8_t *bytes = part.take(size);
        ByteReader in(bytes, bytes ? size : 0);
        Group *group = add_lump_group(anim, entry, entry_type, 0);
        bool read = false;
        switch (entry.type) {
        case TYPE_HALF_LIFE_MIP: read = half_life_mip_read(in, group); break;
        case TYPE_PICTURE: read = half_life_picture_read(in, group); break;
        case TYPE_HALF_LIFE_FONT: read = half_life_font_read(in, group); break;
        default: break;
        }
        const size_t used = in.position();
        const size_t tail = size - used;
        bool padded = read && tail == half_life_padding(used);
        for (size_t k = 0; padded && k < tail; ++k)
            padded = bytes[used + k] == 0;
        if (padded)
            return true;
        anim_delete_group(anim, anim->group_count - 1);
    }
    return keep_lump(file, entry, anim);
}

// Reads one lump into the animation (and the archive palette). Returns false
// when the lump does not fit in the file and was skipped. `taken` is what it
// takes, as lump_extent counts it from the same header; a lump that would
// take more than `allowed` is not read and sets `over`.
bool read_lump(Archive &file, const DirectoryEntry &entry, Animation *anim, uint8_t *palette, bool *has_palette,
               const LumpAllowance &allowed, LumpExtent &taken, bool &over, bool half_life)
{
    taken = {};
    auto afford = [&](LumpExtent extent) {
        taken = extent;
        over = extent.cost > allowed.cost || extent.span > allowed.span;
        return !over;
    };
    if (half_life)
        return afford(half_life_extent(file.size(), entry)) && read_half_life_lump(file, entry, anim);
    const bool known = entry.type == TYPE_PICTURE || entry.type == TYPE_MIP_TEXTURE || entry.type == TYPE_RAW;
    if (entry.type == TYPE_PALETTE && entry.offset >= 0 && static_cast<uint64_t>(entry.offset) <= file.size()) {
        // The palette gives every picture its colours, and is kept to be
        // written back.
        ByteReader in = file.part(static_cast<uint64_t>(entry.offset), PALETTE_SIZE);
        if (in.fits(PALETTE_SIZE)) {
            quake_palette_read(in, palette);
            *has_palette = true;
        }
    }
    const LumpExtent kept = kept_extent(file.size(), entry);
    if (!known) {
        return afford(kept) && keep_lump(file, entry, anim);
    }
    if (entry.offset < 0 || static_cast<uint64_t>(entry.offset) > file.size())
        return false;
    // The lump may run to the end of the file; its size fields are not
    // trusted, only what its own header says, checked against the bytes left.
    const uint64_t offset = static_cast<uint64_t>(entry.offset);
    const uint64_t left = file.size() - offset;
    const ByteReader head_bytes = file.head(offset, LUMP_HEAD_SIZE);
    // The body the header announces, read whole; false when the file does
    // not hold it (or no longer holds what the header was read from). Read
    // before the lump is counted, as lump_extent counts only lumps that fit;
    // it takes no more than the file's own bytes.
    auto body = [&](uint64_t n, ByteReader &in) {
        if (n > left)
            return false;
        in = file.part(offset, n);
        const uint8_t *bytes = in.take(static_cast<size_t>(n));
        if (n && !bytes)
            return false;
        in = ByteReader(bytes, static_cast<size_t>(n));
        return same_head(head_bytes, bytes, static_cast<size_t>(n));
    };
    ByteReader in(nullptr, 0);

    switch (entry.type) {
    case TYPE_PICTURE: {
        ByteReader head = head_bytes;
        const int32_t width = head.i32();
        const int32_t height = head.i32();
        const uint64_t area = checked_area(width, height);
        if (!area) {
            return afford(kept) && keep_lump(file, entry, anim);
        }
        if (!body(PICTURE_HEAD_SIZE + area, in) || !afford({area + FRAME_OVERHEAD, PICTURE_HEAD_SIZE + area}))
            return false;
        Group *group = add_lump_group(anim, entry, ENTRY_PICTURE, 1);
        // A picture of unusable size leaves the frame empty.
        picture_read(in, &group->frames[0]);
        return true;
    }
    case TYPE_MIP_TEXTURE:
        if (entry.name == CONCHARS_NAME) {
            // The console font: raw pixels despite its lump type.
            const uint64_t side = CONCHARS_SIDE;
            if (!body(side * side, in) || !afford({side * side + FRAME_OVERHEAD, side * side}))
                return false;
            Group *group = add_lump_group(anim, entry, ENTRY_RAW, 1);
            indexed_pixels_read(in, &group->frames[0], CONCHARS_SIDE, CONCHARS_SIDE);
            return true;
        } else {
            ByteReader head = head_bytes;
            head.skip(MIP_WIDTH_OFFSET);
            const uint32_t width = head.u32();
            const uint32_t height = head.u32();
            const uint64_t levels = mip_levels_size(width, height);
            if (levels == 0) {
                return afford(kept) && keep_lump(file, entry, anim);
            }
            if (!body(MIP_HEADER_SIZE + levels, in)
                || !afford({levels + 4 + 4 * FRAME_OVERHEAD, MIP_HEADER_SIZE + levels}))
                return false;
            Group *group = add_lump_group(anim, entry, ENTRY_MIP_TEXTURE, 0);
            mip_texture_read(in, group);
            return true;
        }
    case TYPE_RAW: {
        int width = 0;
        int height = 0;
        if (entry.size == RAW_SMALL_SIZE) {
            width = 128;
            height = 128;
        } else if (entry.size == RAW_LARGE_SIZE) {
            width = 320;
            height = 200;
        }
        if (!width) {
            return afford(kept) && keep_lump(file, entry, anim);
        }
        const uint64_t area = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
        if (!body(area, in) || !afford({area + FRAME_OVERHEAD, area}))
            return false;
        Group *group = add_lump_group(anim, entry, ENTRY_RAW, 1);
        indexed_pixels_read(in, &group->frames[0], width, height);
        return true;
    }
    default:
        return true;
    }
}

// The bytes of a lump that lie in the file, as its directory entry gives
// them; false when they do not.
bool lump_bytes(uint64_t file_size, const DirectoryEntry &entry, size_t &offset, size_t &size)
{
    if (entry.offset < 0 || entry.disk_size < 0)
        return false;
    const uint64_t end = static_cast<uint64_t>(entry.offset) + static_cast<uint64_t>(entry.disk_size);
    if (end > file_size)
        return false;
    offset = static_cast<size_t>(entry.offset);
    size = static_cast<size_t>(entry.disk_size);
    return true;
}

// What keeping a lump as it is takes.
LumpExtent kept_extent(uint64_t file_size, const DirectoryEntry &entry)
{
    size_t offset = 0, size = 0;
    if (!lump_bytes(file_size, entry, offset, size))
        return {};
    return {size + OTHER_LUMP_WIDTH + FRAME_OVERHEAD, size};
}

// What the reader would take for one lump, computed from the same checks as
// read_lump from the lump's header alone.
LumpExtent lump_extent(Archive &file, const DirectoryEntry &entry, bool half_life)
{
    if (half_life)
        return half_life_extent(file.size(), entry);
    if (entry.offset < 0 || static_cast<uint64_t>(entry.offset) > file.size())
        return {};
    const uint64_t offset = static_cast<uint64_t>(entry.offset);
    const uint64_t left = file.size() - offset;
    const bool known = entry.type == TYPE_PICTURE || entry.type == TYPE_MIP_TEXTURE || entry.type == TYPE_RAW;
    ByteReader head = known ? file.head(offset, LUMP_HEAD_SIZE) : ByteReader(nullptr, 0);
    switch (entry.type) {
    case TYPE_PICTURE: {
        const int32_t width = head.i32();
        const int32_t height = head.i32();
        const uint64_t area = checked_area(width, height);
        // A picture that does not fit is skipped; one of unusable size keeps
        // a single pixel.
        if (area && PICTURE_HEAD_SIZE + area > left)
            return {};
        if (!area)
            return kept_extent(file.size(), entry);
        return {area + FRAME_OVERHEAD, PICTURE_HEAD_SIZE + area};
    }
    case TYPE_MIP_TEXTURE: {
        if (entry.name == CONCHARS_NAME) {
            const uint64_t area = static_cast<uint64_t>(CONCHARS_SIDE) * CONCHARS_SIDE;
            if (area > left)
                return {};
            return {area + FRAME_OVERHEAD, area};
        }
        head.skip(MIP_WIDTH_OFFSET);
        const uint32_t width = head.u32();
        const uint32_t height = head.u32();
        const uint64_t levels = mip_levels_size(width, height);
        if (levels == 0)
            return kept_extent(file.size(), entry);
        if (MIP_HEADER_SIZE + levels > left)
            return {};
        return {levels + 4 + 4 * FRAME_OVERHEAD, MIP_HEADER_SIZE + levels};
    }
    case TYPE_RAW:
        if (entry.size == RAW_SMALL_SIZE || entry.size == RAW_LARGE_SIZE) {
            const uint64_t area = static_cast<uint64_t>(entry.size);
            if (area > left)
                return {};
            return {area + FRAME_OVERHEAD, area};
        }
        return kept_extent(file.size(), entry);
    default: return kept_extent(file.size(), entry);
    }
}

// Writes back a lump kept as it was: the first "Lump Size" bytes of its
// frame's pixels.
void write_kept_lump(ByteWriter &out, const Group &group)
{
    host().bind_image(group.frames[0].image);
    const int64_t wanted = props_get_int(&group.props, PROP_LUMP_SIZE);
    const uint8_t *data = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == 1 ? host().get_data() : nullptr;
    const int64_t held = data ? static_cast<int64_t>(host().width()) * host().height() : 0;
    const int64_t size = wanted < 0 ? 0 : wanted;
    const int64_t take = size < held ? size : held;
    if (take > 0)
        out.bytes(data, static_cast<size_t>(take));
    out.zeros(static_cast<size_t>(size - take));
}

// The palette the archive's pictures and textures are in: its own palette
// lump when it keeps one, else the Quake palette.
std::vector<uint8_t> archive_palette(Animation *anim)
{
    std::vector<uint8_t> palette(default_palette, default_palette + 1024);
    for (int i = 0; i < anim->group_count; ++i) {
        const Group &group = anim->groups[i];
        if (group.frame_count < 1 || props_get_int(&group.props, PROP_ENTRY_TYPE) != ENTRY_OTHER
            || props_get_int(&group.props, PROP_LUMP_TYPE) != TYPE_PALETTE
            || props_get_int(&group.props, PROP_LUMP_SIZE) != static_cast<int32_t>(PALETTE_SIZE))
            continue;
        host().bind_image(group.frames[0].image);
        const uint8_t *data = host().get_data();
        if (!data || static_cast<int64_t>(host().width()) * host().height() < static_cast<int64_t>(PALETTE_SIZE))
            continue;
        for (int k = 0; k < 256; ++k)
            std::memcpy(&palette[k * 4], data + k * 3, 3);
        break;
    }
    return palette;
}

// Textures the engine would refuse, crash on or draw wrong are listed in one
// question, all of them at once, before anything is written.
bool confirm_rules(const char *path, Animation *anim)
{
    const std::vector<TextureFacts> facts = animation_texture_facts(anim);
    const std::vector<TextureRuleBreak> breaks = texture_rule_breaks(facts);
    if (breaks.empty() || ask_question(texture_rule_question(path, breaks, facts)))
        return true;
    save_refused();
    return false;
}

// Says why an archive is refused: its lumps would take more than the pixel
// budget, or draw on the same bytes so often that they would make far more
// pixels than the file holds.
LoadResult refuse_archive(const char *path, Archive &file, int32_t count, const LumpExtent &taken,
                          const LumpAllowance &allowed, Animation *anim, const char *kind)
{
    if (taken.span > allowed.span)
        return give_up(anim, format_text("Cannot read %s: the %i entries of its %s directory share lump bytes, which "
                                  "would decode to over %s of pixels, more than %llu times the file's %s",
                                  path, count, kind, size_text(allowed.span).c_str(),
                                  static_cast<unsigned long long>(SHARED_BYTES_FACTOR), size_text(file.size()).c_str()));
    return give_up(anim, format_text("Cannot read %s: the %i lumps of its %s directory decode to more than the "
                                  "limit of %s of pixel data",
                                  path, count, kind, size_text(allowed.cost).c_str()));
}

LumpAllowance archive_allowance(const Archive &file)
{
    return {pixel_budget(), SHARED_BYTES_FACTOR * file.size()};
}

// Loaded when the lumps the directory names, overlapping or not, decode to
// no more than the archive's allowance; else gives up, saying why. Runs
// before any lump is decoded, so a refused archive costs nothing.
LoadResult directory_within_budget(const char *path, Archive &file, const std::vector<uint8_t> &directory, int32_t count,
                             Animation *anim, bool half_life)
{
    const char *kind = half_life ? "WAD3" : "WAD2";
    ByteReader in(directory);
    LumpExtent total;
    const LumpAllowance allowed = archive_allowance(file);
    for (int32_t i = 0; i < count; ++i) {
        const LumpExtent extent = lump_extent(file, read_entry(in), half_life);
        total.cost += extent.cost;
        total.span += extent.span;
        if (total.cost > allowed.cost || total.span > allowed.span)
            return refuse_archive(path, file, count, total, allowed, anim, kind);
    }
    return load_ok();
}

} // namespace

namespace {

// Half-Life draws the textures of its decals.wad as decals: the palette's
// last colour, each index its opacity. The group says so to the views (it
// is not written to the file).
void mark_decals(const char *path, Animation *anim)
{
    const char *slash = std::strrchr(path, '/');
    if (strcasecmp(slash ? slash + 1 : path, "decals.wad") != 0)
        return;
    for (int g = 0; g < anim->group_count; ++g)
        if (props_get_int(&anim->groups[g].props, PROP_ENTRY_TYPE) == ENTRY_MIP_TEXTURE)
            props_set_int(&anim->groups[g].props, sprite_layout::PROP_TEXTURE_FORMAT, TEXTURE_INDEX_ALPHA,
                          PROPERTY_TEXTURE_FORMAT);
}

// The reading of both kinds: their header and directory are one layout.
LoadResult read_archive(const char *path, Animation *anim, bool half_life)
{
    Archive file;
    if (!file.open(path))
        return load_not_mine();
    ByteReader in = file.head(0, HEADER_SIZE);
    const char *kind = half_life ? "WAD3" : "WAD2";
    if (!sniff_wad2(in) && !sniff_wad3(in)) {
        const std::vector<uint8_t> &bytes = file.whole();
        return refuse_foreign_file(path, bytes.data(), bytes.size(),
                                   half_life ? "Half-Life WAD3 archive" : "Quake WAD2 archive", true);
    }
    // The other kind's row reads it.
    if (sniff_wad3(in) != half_life)
        return load_not_mine();
    // The checks run in order, each before anything it guards is read.
    if (file.size() < HEADER_SIZE) {
        return give_up(anim, format_text("Cannot read %s: the %s file is too short for its header", path, kind));
    }
    in.seek(4);
    const int32_t count = in.i32();
    const int32_t directory = in.i32();
    if (count < 0) {
        return give_up(anim, format_text("Cannot read %s: its %s directory has a negative entry count (%i)", path, kind, count));
    }
    if (directory < 0 || static_cast<uint64_t>(directory) > file.size()) {
        return give_up(anim, format_text("Cannot read %s: its %s directory offset %i lies outside the file", path, kind, directory));
    }
    if (static_cast<uint64_t>(count) > (file.size() - static_cast<uint64_t>(directory)) / ENTRY_SIZE) {
        return give_up(anim, format_text("Cannot read %s: its %s directory of %i entries does not fit in the file", path, kind, count));
    }
    // The directory is kept apart: the lumps are read through the same
    // buffer one after another.
    const uint64_t directory_size = static_cast<uint64_t>(count) * ENTRY_SIZE;
    ByteReader listed = file.part(static_cast<uint64_t>(directory), directory_size);
    std::vector<uint8_t> entries(static_cast<size_t>(directory_size), 0);
    listed.bytes(entries.data(), entries.size());

    LoadResult within = directory_within_budget(path, file, entries, count, anim, half_life);
    if (within.status != LoadStatus::Loaded)
        return within;

    uint8_t palette[1024] = {};
    bool has_palette = false;
    std::vector<std::string> skipped;
    ByteReader directory_in(entries);
    // Counted again as the lumps are read: a file changed since the check
    // above still cannot make the document exceed the allowance.
    LumpExtent total;
    const LumpAllowance allowed = archive_allowance(file);
    for (int32_t i = 0; i < count; ++i) {
        const DirectoryEntry entry = read_entry(directory_in);
        report_progress(i, count);
        // The all-zero entry the writer leaves for a group without frames.
        if (entry.offset == 0 && entry.disk_size == 0 && entry.size == 0 && entry.type == 0 && entry.name.empty())
            continue;
        LumpExtent taken;
        bool over = false;
        const bool read = read_lump(file, entry, anim, palette, &has_palette,
                                    {allowed.cost - total.cost, allowed.span - total.span}, taken, over, half_life);
        if (over)
            return refuse_archive(path, file, count, {total.cost + taken.cost, total.span + taken.span}, allowed, anim,
                                  kind);
        if (!read) {
            skipped.push_back(entry.name);
        } else {
            total.cost += taken.cost;
            total.span += taken.span;
        }
    }

    // A palette lump applies to every picture, wherever it stands. In a
    // WAD3 each picture has its own, and only kept lumps take the Quake one.
    const uint8_t *frame_palette = has_palette ? palette : default_palette;
    for (int g = 0; g < anim->group_count; ++g)
        for (int f = 0; f < anim->groups[g].frame_count; ++f) {
            if (half_life && props_get_int(&anim->groups[g].props, PROP_ENTRY_TYPE) != ENTRY_OTHER)
                continue;
            anim_bind_frame(anim, g, f);
            host().set_palette(frame_palette, 256);
        }
    platform().set_progress(-1);

    if (!skipped.empty()) {
        std::string names;
        for (size_t k = 0; k < skipped.size() && k < 8; ++k)
            names += (k ? ", \"" : "\"") + skipped[k] + "\"";
        if (skipped.size() > 8)
            names += ", ...";
        const std::string message =
            format_text("%i lumps of the %s archive lie outside the file, are cut short or have an unusable size, "
                        "and were skipped: %s",
                        static_cast<int>(skipped.size()), kind, names.c_str());
        // An archive of which nothing could be read is refused for it.
        if (anim->group_count == 0)
            return load_refusal(message);
        show_warning(message);
    }
    if (half_life) {
        props_set_int(&anim->props, PROP_WAD_VERSION, WAD_VERSION_HALF_LIFE, PROPERTY_INTEGER);
        mark_decals(path, anim);
    }
    return load_ok();
}

} // namespace

LoadResult wad2_read(const char *path, Animation *anim) { return read_archive(path, anim, false); }

LoadResult wad3_read(const char *path, Animation *anim) { return read_archive(path, anim, true); }

int32_t wad2_load(const char *path, Animation *anim) { return load_result_shown(wad2_read(path, anim)); }

namespace {

// Directory entry `i` of both archive writers: a lump of `size` bytes at
// `start`, stored uncompressed.
void put_directory_entry(std::vector<uint8_t> &directory, int32_t i, size_t start, size_t size, uint8_t type,
                         const char *name)
{
    ByteWriter entry;
    entry.u32(static_cast<uint32_t>(start));
    entry.u32(static_cast<uint32_t>(size));
    entry.u32(static_cast<uint32_t>(size));
    entry.u8(type);
    entry.zeros(3); // no compression, padding
    entry.fixed_string(name ? name : "", NAME_SIZE);
    std::memcpy(directory.data() + static_cast<size_t>(i) * ENTRY_SIZE, entry.data().data(), ENTRY_SIZE);
}

// What both archive writers check and ask before anything is converted, and
// the file they then create: false when the save ends here.
bool begin_archive_save(const char *path, Animation *anim, OutputFile &file)
{
    if (anim->group_count <= 0)
        return false;
    // Like every writer, refuses a document whose first group is empty
    // (later empty groups give empty entries), and says so: a map's first
    // texture may have no pixels in the map.
    if (anim->groups[0].frame_count <= 0) {
        show_warning(format_text("Cannot save %s: its first group \"%s\" has no frames", path,
                                 anim->groups[0].name ? anim->groups[0].name : ""));
        save_refused();
        return false;
    }
    // Offsets in the directory are 32-bit; frames the writer cannot handle
    // are refused before anything is asked or written.
    if (!frames_fit_for_saving(anim, QUAKE_MAX_SIDE, false, LIBRARY_MAX_IMAGE_BYTES))
        return false;
    if (!confirm_rules(path, anim))
        return false;
    // The file is created before any frame is converted or any mip chain
    // rebuilt, so that a save that cannot write leaves the document as it was.
    return file.open(path);
}

} // namespace

int32_t wad2_save(const char *path, Animation *anim)
{
    OutputFile file;
    if (!begin_archive_save(path, anim, file))
        return 0;

    const int32_t count = anim->group_count;
    const std::vector<uint8_t> palette = archive_palette(anim);
    const ImpliedPalette implied(palette.data());
    const RemapReport remaps(std::memcmp(palette.data(), default_palette, 1024) == 0 ? "the Quake palette"
                                                                                     : "the archive's palette");
    const FullbrightCheck fullbrights(path, palette.data());
    ByteWriter out;
    // Pixels, a third more for mip levels, headers and the directory.
    uint64_t expected = HEADER_SIZE + static_cast<uint64_t>(count) * ENTRY_SIZE;
    for (int32_t i = 0; i < count; ++i)
        for (int j = 0; j < anim->groups[i].frame_count; ++j) {
            host().bind_image(anim->groups[i].frames[j].image);
            expected += static_cast<uint64_t>(host().width()) * static_cast<uint64_t>(host().height()) * 4 / 3 + 1024;
        }
    out.reserve(static_cast<size_t>(expected < (uint64_t(1) << 31) ? expected : 0));
    out.u32(MAGIC);
    out.i32(count);
    out.i32(0); // directory offset, filled in below

    // Groups without frames keep an all-zero entry, which readers skip.
    std::vector<uint8_t> directory(static_cast<size_t>(count) * ENTRY_SIZE, 0);
    for (int32_t i = 0; i < count; ++i) {
        report_progress(i, count);
        Group *group = &anim->groups[i];
        if (group->frame_count <= 0)
            continue;
        const int entry_type = props_get_int(&group->props, PROP_ENTRY_TYPE);
        const bool other = entry_type == ENTRY_OTHER;
        // Quake has no fonts: a Half-Life font's picture is kept as a picture.
        const uint8_t type =
            static_cast<uint8_t>(other                    ? props_get_int(&group->props, PROP_LUMP_TYPE)
                                 : entry_type == ENTRY_FONT ? TYPE_PICTURE
                                                            : entry_type + ENTRY_TYPE_BASE);
        const size_t start = out.size();
        if (other)
            write_kept_lump(out, *group);
        else switch (type) {
        case TYPE_PICTURE: picture_write(out, group->frames[0].image); break;
        case TYPE_MIP_TEXTURE: mip_texture_write(out, group); break;
        case TYPE_RAW: indexed_pixels_write(out, group->frames[0].image); break;
        default: break; // no body, e.g. 'C' for entry type 1
        }
        put_directory_entry(directory, i, start, out.size() - start, type, group->name);
    }
    out.patch_u32(DIRECTORY_OFFSET_FIELD, static_cast<uint32_t>(out.size()));
    out.bytes(directory.data(), directory.size());
    platform().set_progress(-1);
    if (!file.write(out) || !file.finish())
        return 0;
    remaps.tell(path);
    return 1;
}

namespace {

// The lump type a group is written as in a WAD3 and its block.
uint8_t write_half_life_lump(ByteWriter &out, Group *group, bool dither)
{
    switch (props_get_int(&group->props, PROP_ENTRY_TYPE)) {
    case ENTRY_OTHER: write_kept_lump(out, *group); return static_cast<uint8_t>(props_get_int(&group->props, PROP_LUMP_TYPE));
    case ENTRY_MIP_TEXTURE:
    case ENTRY_HALF_LIFE_MIP: half_life_mip_write(out, group, dither); return TYPE_HALF_LIFE_MIP;
    case ENTRY_FONT:
        if (half_life_font_writable(group)) {
            half_life_font_write(out, group, dither);
            return TYPE_HALF_LIFE_FONT;
        }
        break;
    default: break;
    }
    // Pictures, and the raw pictures and fonts Half-Life has no lump for.
    half_life_picture_write(out, group, dither);
    return TYPE_PICTURE;
}

} // namespace

int32_t wad3_save(const char *path, Animation *anim)
{
    OutputFile file;
    if (!begin_archive_save(path, anim, file))
        return 0;

    const bool dither = own_palette_dithering();
    const int32_t count = anim->group_count;
    ByteWriter out;
    out.u32(MAGIC_HALF_LIFE);
    out.i32(count);
    out.i32(0); // directory offset, filled in below
    std::vector<uint8_t> directory(static_cast<size_t>(count) * ENTRY_SIZE, 0);
    for (int32_t i = 0; i < count; ++i) {
        report_progress(i, count);
        Group *group = &anim->groups[i];
        if (group->frame_count <= 0)
            continue;
        const size_t start = out.size();
        const uint8_t type = write_half_life_lump(out, group, dither);
        // A kept lump has its padding among its bytes already.
        if (props_get_int(&group->props, PROP_ENTRY_TYPE) != ENTRY_OTHER)
            out.zeros(half_life_padding(out.size() - start));
        put_directory_entry(directory, i, start, out.size() - start, type, group->name);
    }
    out.patch_u32(DIRECTORY_OFFSET_FIELD, static_cast<uint32_t>(out.size()));
    out.bytes(directory.data(), directory.size());
    platform().set_progress(-1);
    return file.write(out) && file.finish() ? 1 : 0;
}

bool wad_document_is_half_life(const Animation *anim)
{
    return props_get_int(&anim->props, PROP_WAD_VERSION) == WAD_VERSION_HALF_LIFE;
}

int32_t wad2_row_save(const char *path, Animation *anim)
{
    return wad_document_is_half_life(anim) ? 0 : wad2_save(path, anim);
}
