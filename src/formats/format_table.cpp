#include "formats/format_table.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <IL/il.h>
#include <IL/ilu.h>

#include "formats/codec_guard.h"
#include "formats/generic_formats.h"
#include "archive/archive.h"
#include "io/safe_save.h"
#include "sniff/sniff.h"
#include "image/host_table.h"
#include "plugins/plugin_registry.h"
#include "quake/bsp.h"
#include "quake/mdl.h"
#include "quake/picture.h"
#include "quake/sprite.h"
#include "quake/wad2.h"
#include "image/quake_palette.h"

namespace {

// An archive opened as a document: what it holds, and how to name an entry
// (the editor opens its browser before it gets here).
LoadResult archive_itself_read(const char *path, Animation *)
{
    ArchiveListing listing;
    std::string error;
    if (!list_archive(path, listing, error))
        return load_refusal(error);
    return load_refusal(format_text("%s is an archive of %zu entries: open one of them as %s/ENTRY (vorn-cli list %s "
                                    "lists them)",
                                    path, listing.entries.size(), path, path));
}

} // namespace

// Every operation runs inside codec_guard: no exception leaves a codec.
#define G_READ codec_guard::read<generic_image_read>
#define G_SAVE codec_guard::save<generic_image_save>
#define I_PAL codec_guard::load_palette<image_palette_load>
#define READ(fn) codec_guard::read<fn>
#define SAVE(fn) codec_guard::save<fn>

constexpr FormatDescriptor FormatDescriptors[FORMAT_ROW_COUNT] = {
    {"Darkplaces Sprite (*.spr32)", "*.spr32", sniff_sprite32, READ(sprite32_read), SAVE(sprite32_save), nullptr,
     nullptr, false},
    {"Quake Sprite (*.spr)", "*.spr", sniff_sprite, READ(quake_sprite_read), SAVE(quake_sprite_save), nullptr, nullptr,
     false},
    // A save type of its own: picked in the save dialog, it gives the
    // document a texture format, and the sprite writer above then writes the
    // Half-Life layout. The reader above reads both.
    {HALF_LIFE_SPRITE_DESCRIPTION, "*.spr", nullptr, nullptr, SAVE(quake_sprite_save), nullptr, nullptr, false},
    // A document read from a WAD3 (or marked to be one) goes to the second.
    {WAD2_DESCRIPTION, "*.wad", sniff_wad2, READ(wad2_read), SAVE(wad2_row_save), nullptr, nullptr, false},
    {WAD3_DESCRIPTION, "*.wad", sniff_wad3, READ(wad3_read), SAVE(wad3_save), nullptr, nullptr, false},
    // Pictures and textures carry no magic number.
    {"Quake Lmp (*.lmp)", "*.lmp", nullptr, READ(lmp_read), SAVE(lmp_save), nullptr, nullptr, true},
    {"Quake Mip (*.mip)", "*.mip", nullptr, READ(mip_read), SAVE(mip_save), nullptr, nullptr, true},
    // Containers of art: saving writes into the map or model already there.
    {"Quake Map Textures (*.bsp)", "*.bsp", sniff_bsp, READ(bsp_read), SAVE(bsp_save), nullptr, nullptr, false},
    {"Quake Model Skins (*.mdl)", "*.mdl", sniff_mdl, READ(mdl_read), SAVE(mdl_save), nullptr, nullptr, false},
    {"Quake Palette (palette.lmp)", "palette.lmp", nullptr, nullptr, nullptr,
     codec_guard::load_palette<palette_lmp_load>, codec_guard::save_palette<palette_lmp_save>, false},
    {"Windows or OS/2 Bitmap (*.bmp)", "*.bmp", nullptr, G_READ, G_SAVE, I_PAL, nullptr, true},
    {"Dr. Halo Bitmap (*.cut)", "*.cut", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"Windows Cursor (*.cur)", "*.cur", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    // The description names .dcx but the row filters and matches .cut.
    {"Multipage PCX Bitmap (*.dcx)", "*.cut", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"DirectX Direct Draw Surface (*.dds)", "*.dds", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"Device Independant Bitmap (*.dib)", "*.dib", nullptr, G_READ, G_SAVE, I_PAL, nullptr, true},
    {"Windows Icon (*.ico)", "*.ico", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"Truevision Targa Bitmap (*.icb)", "*.icb", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"Graphic Interchange Format (*.gif)", "*.gif", nullptr, G_READ, nullptr, I_PAL, nullptr, true},
    {"JPEG/JIFF Image (*.jpg)", "*.jpg", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"JPEG/JIFF Image (*.jpe)", "*.jpe", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"JPEG/JIFF Image (*.jpeg)", "*.jpeg", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"JPEG Network Graphic (*.jng)", "*.jng", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"Amiga Interleaved Bitmap Format (*.lbm)", "*.lbm", nullptr, G_READ, nullptr, I_PAL, nullptr, true},
    {"Homeworld Layered Image Format File (*.lif)", "*.lif", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"Multi-image Network Graphics (*.mng)", "*.mng", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"Photo CD Image (*.pcd)", "*.pcd", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"PC Paintbrush Bitmap Graphic (*.pcx)", "*.pcx", nullptr, G_READ, G_SAVE, I_PAL, nullptr, true},
    {"Macintosh PICT drawing (*.pic)", "*.pic", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"Portable Network Graphic (*.png)", "*.png", nullptr, G_READ, G_SAVE, I_PAL, nullptr, true},
    {"Portable Any Map Graphic Bitmap (*.pnm)", "*.pnm", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"Phostoshop Document (*.psd)", "*.psd", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"Paint Shop Pro Image (*.psp)", "*.psp", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"RAW RGB 24-bit Graphic (*.raw)", "*.raw", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"Silicon Graphics IRIS Graphic File (*.sgi)", "*.sgi", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"Truevision Targa Graphic (*.tga)", "*.tga", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"Tagged Image Format File (*.tif)", "*.tif", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"Truevision Targa Bitmap (*.vda)", "*.vda", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"Truevision Targa Bitmap (*.vst)", "*.vst", nullptr, G_READ, G_SAVE, nullptr, nullptr, true},
    {"Quake 2 Texture File (*.wal)", "*.wal", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    {"X Pixmap Graphic (*.xpm)", "*.xpm", nullptr, G_READ, nullptr, nullptr, nullptr, true},
    // Archives open on one of their entries, named ARCHIVE/ENTRY.
    {"Quake PAK Archive (*.pak)", "*.pak", nullptr, READ(archive_itself_read), nullptr, nullptr, nullptr, false},
    {"PK3 Archive (*.pk3)", "*.pk3", nullptr, READ(archive_itself_read), nullptr, nullptr, nullptr, false},
    {"ZIP Archive (*.zip)", "*.zip", nullptr, READ(archive_itself_read), nullptr, nullptr, nullptr, false},
    {"Photoshop Color Table (*.act)", "*.act", nullptr, nullptr, nullptr, codec_guard::load_palette<generic_palette_load>,
     nullptr, false},
    {"Autodesk Color Palette (*.col)", "*.col", nullptr, nullptr, nullptr, codec_guard::load_palette<generic_palette_load>,
     nullptr, false},
    {"Dr. Halo / Jasc Palette (*.pal)", "*.pal", nullptr, nullptr, nullptr,
     codec_guard::load_palette<generic_palette_load>, codec_guard::save_palette<generic_palette_save>, false},
};

#undef G_READ
#undef G_SAVE
#undef I_PAL
#undef READ
#undef SAVE

namespace {

// A table row's load: the descriptor's, telling the reason of a refusal.
template <size_t I>
int32_t row_load(const char *path, Animation *anim)
{
    return load_result_shown(FormatDescriptors[I].load_image(path, anim));
}

template <size_t... I>
constexpr std::array<LoadImageFn, sizeof...(I)> row_loads(std::index_sequence<I...>)
{
    return {row_load<I>...};
}

// Built when the program starts: with the sanitizers on, the compiler does
// not take a function's address compared with null as a constant.
std::array<FormatRow, FORMAT_ROW_COUNT + 1> rows_of_descriptors()
{
    constexpr std::array<LoadImageFn, FORMAT_ROW_COUNT> loads = row_loads(std::make_index_sequence<FORMAT_ROW_COUNT>());
    std::array<FormatRow, FORMAT_ROW_COUNT + 1> rows{};
    for (size_t i = 0; i < FORMAT_ROW_COUNT; ++i) {
        const FormatDescriptor &format = FormatDescriptors[i];
        rows[i] = {format.load_image ? loads[i] : nullptr,
                   format.save_image,
                   format.load_palette,
                   format.save_palette,
                   format.description,
                   format.pattern};
    }
    return rows; // and the end row, all empty
}

} // namespace

const std::array<FormatRow, FORMAT_ROW_COUNT + 1> FormatTable = rows_of_descriptors();

namespace {

bool row_offers(const FormatDescriptor &row, int kind)
{
    switch (kind) {
    case FILE_OP_LOAD_IMAGE: return row.load_image != nullptr;
    case FILE_OP_SAVE_IMAGE: return row.save_image != nullptr;
    case FILE_OP_LOAD_PALETTE: return row.load_palette != nullptr;
    case FILE_OP_SAVE_PALETTE: return row.save_palette != nullptr;
    default: return false;
    }
}

bool plugin_offers(const PluginFormatTable *formats, int kind)
{
    if (!formats)
        return false;
    switch (kind) {
    case FILE_OP_LOAD_IMAGE: return formats->load_image != nullptr;
    case FILE_OP_SAVE_IMAGE: return formats->save_image != nullptr;
    case FILE_OP_LOAD_PALETTE: return formats->load_palette != nullptr;
    case FILE_OP_SAVE_PALETTE: return formats->save_palette != nullptr;
    default: return false;
    }
}

// Stale errors from earlier, unrelated failures must not be reported as the
// cause of this operation's failure.
void forget_stale_errors()
{
    host_clear_errors();
    errno = 0;
}

// The message for a save that failed: the system's cause with the file's
// name when the writing failed, else the library's error, else nothing
// (0 returned).
int report_save_error(const char *path, int code)
{
    if (code) {
        host_clear_errors();
        errno = 0;
        show_warning(save_error_text(path, code));
        return 1;
    }
    const ILenum library_error = ilGetError();
    if (library_error == IL_INVALID_EXTENSION) {
        host_clear_errors();
        show_warning(format_text("no file format is known for the extension of %s", path));
        return 1;
    }
    if (library_error != IL_NO_ERROR) {
        host_clear_errors();
        show_warning(format_text("Error Encountered: %s (%s)", iluErrorString(library_error), path));
        return 1;
    }
    return report_file_error();
}

// How one candidate writer ended, in a save guarded by `file`.
enum class Attempt { Written, Declined, Stop };

Attempt settle(int written, AtomicFile &file, const char *path)
{
    if (file.error()) {
        report_save_error(path, file.error());
        return Attempt::Stop;
    }
    if (written) {
        if (file.commit())
            return Attempt::Written;
        report_save_error(path, errno ? errno : EIO);
        return Attempt::Stop;
    }
    // A writer that told the user why it declined ends the save.
    return save_was_refused() ? Attempt::Stop : Attempt::Declined;
}

// Offers the save to the plug-ins. They open their files by name, so each
// is handed a hidden file of its own beside the target, which replaces the
// target only when the plug-in has written it.
template <class Call>
Attempt offer_to_plugins(const char *path, Call call)
{
    for (int i = 0; i < plugin_count(); ++i) {
        const PluginFormatTable *formats = plugin_record(i).formats;
        if (!formats)
            continue;
        if (!call(formats, nullptr))
            continue;
        AtomicFile named;
        if (!named.create(path, AtomicFile::Kind::Named)) {
            report_save_error(path, errno ? errno : EIO);
            return Attempt::Stop;
        }
        const Attempt attempt = settle(call(formats, named.temporary_path().c_str()), named, path);
        if (attempt != Attempt::Declined)
            return attempt;
    }
    return Attempt::Declined;
}

// Why a file cannot be opened, with the system's cause and its name, so
// that it is said before any reader guesses at the file; empty when it can.
std::string unreadable_reason(const char *path)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return {};
    }
    const int code = errno;
    errno = 0;
    return format_text("Error %i Encountered: %s (%s)", code, std::strerror(code), path);
}

// Shows a load's reasons, the one place a load's failure is told.
LoadResult told(LoadResult result)
{
    load_result_shown(result);
    return result;
}

} // namespace

int extension_matches(const char *pattern, const char *path)
{
    const char *pattern_dot = std::strrchr(pattern, '.');
    const char *path_dot = std::strrchr(path, '.');
    if (!pattern_dot || !path_dot)
        return 0;
    return std::strcmp(pattern_dot, path_dot) == 0 ? 1 : 0;
}

namespace {

LoadResult load_named(const char *path, Animation *anim)
{
    forget_stale_errors();
    for (int i = 0; i < plugin_count(); ++i) {
        const PluginFormatTable *formats = plugin_record(i).formats;
        if (formats && formats->load_image && formats->load_image(path, anim))
            return load_ok();
    }
    const std::string unreadable = unreadable_reason(path);
    if (!unreadable.empty())
        return told(load_refusal(unreadable));
    // A reader that refuses the file ends the load: a generic reader after
    // it could only contradict its reason ("not an image of a format Vorn
    // can read").
    for (const FormatDescriptor &format : FormatDescriptors) {
        if (!format.load_image || !extension_matches(format.pattern, path))
            continue;
        LoadResult result = format.load_image(path, anim);
        if (result.status != LoadStatus::NotMine)
            return told(std::move(result));
    }
    return told(generic_image_read(path, anim));
}

int save_named(const char *path, Animation *anim);
int palette_load_named(const char *path, uint8_t *rgba1024);
int palette_save_named(const char *path, const uint8_t *rgba, int count);

// Runs `body` on the stand-in name of an archive's entry, with every
// message naming the entry as the user did.
template <class Body>
auto with_entry_read(const char *path, const std::string &archive, const std::string &entry, Body body,
                     decltype(body("")) refused)
{
    ArchiveEntryFile file;
    std::string error;
    if (!file.open(archive, entry, error)) {
        show_warning(error);
        return refused;
    }
    const MessageAlias alias(file.path(), path);
    return body(file.path().c_str());
}

// Saves through `body` under a stand-in name, then writes the archive anew
// with that entry; 1 when the archive was written.
template <class Body>
int with_entry_save(const char *path, const std::string &archive, const std::string &entry, Body body)
{
    ArchiveEntrySave save;
    std::string error;
    if (!save.create(archive, entry, error)) {
        show_warning(error);
        return 0;
    }
    const MessageAlias alias(save.path(), path);
    if (!body(save.path().c_str()))
        return 0;
    if (!save.commit(error)) {
        show_warning(error);
        return 0;
    }
    return 1;
}

} // namespace

LoadResult file_load_result(const char *path, Animation *anim)
{
    std::string archive, entry;
    if (!split_archive_path(path, archive, entry))
        return load_named(path, anim);
    forget_stale_errors();
    ArchiveEntryFile file;
    std::string error;
    if (!file.open(archive, entry, error))
        return told(load_refusal(error));
    const MessageAlias alias(file.path(), path);
    LoadResult result = load_named(file.path().c_str(), anim);
    for (std::string &reason : result.reasons)
        reason = with_message_aliases(reason);
    return result;
}

int file_load(const char *path, Animation *anim)
{
    file_load_result(path, anim);
    return 1;
}

int file_save(const char *path, Animation *anim)
{
    std::string archive, entry;
    if (split_archive_save_path(path, archive, entry))
        return with_entry_save(path, archive, entry, [anim](const char *stand_in) { return save_named(stand_in, anim); });
    return save_named(path, anim);
}

namespace {

int save_named(const char *path, Animation *anim)
{
    if (!std::strchr(path, '.')) {
        show_warning(format_text("no file format is known for the extension of %s", path));
        return 0;
    }
    forget_stale_errors();
    reset_save_refusal();

    // Every writer writes a new file beside the target, which replaces the
    // target only once it is complete on disk: a failed save never touches
    // the file that was there.
    Attempt attempt = offer_to_plugins(path, [anim](const PluginFormatTable *formats, const char *into) {
        if (!into)
            return formats->save_image ? 1 : 0;
        return static_cast<int>(formats->save_image(into, anim));
    });
    if (attempt == Attempt::Written)
        return 1;
    if (attempt == Attempt::Stop)
        return 0;

    AtomicFile file;
    if (!file.create(path)) {
        report_save_error(path, errno ? errno : EIO);
        return 0;
    }
    errno = 0;
    const SaveGuard guard(path, file);
    for (const FormatDescriptor &row : FormatDescriptors) {
        if (!row.save_image || !extension_matches(row.pattern, path))
            continue;
        attempt = settle(row.save_image(path, anim), file, path);
        if (attempt != Attempt::Declined)
            return attempt == Attempt::Written ? 1 : 0;
    }
    attempt = settle(generic_image_save(path, anim), file, path);
    if (attempt != Attempt::Declined)
        return attempt == Attempt::Written ? 1 : 0;
    if (!report_save_error(path, 0))
        show_warning("Unable to save file in specified format");
    return 0;
}

} // namespace

bool save_writes_first_frame_only(const char *path)
{
    for (int i = 0; i < plugin_count(); ++i) {
        const PluginFormatTable *formats = plugin_record(i).formats;
        if (formats && formats->save_image)
            return false;
    }
    if (!std::strchr(path, '.'))
        return false;
    for (const FormatDescriptor &row : FormatDescriptors)
        if (row.save_image && extension_matches(row.pattern, path) && !row.saves_first_frame_only)
            return false;
    return true; // the matching rows and the generic writer that follows them
}

int palette_file_load(const char *path, uint8_t *rgba1024)
{
    std::string archive, entry;
    if (split_archive_path(path, archive, entry))
        return with_entry_read(
            path, archive, entry, [rgba1024](const char *stand_in) { return palette_load_named(stand_in, rgba1024); },
            0);
    return palette_load_named(path, rgba1024);
}

namespace {

int palette_load_named(const char *path, uint8_t *rgba1024)
{
    // The image rows below all read the same file: one decode serves them.
    const PaletteDecodeScope one_decode;
    forget_stale_errors();
    for (int i = 0; i < plugin_count(); ++i) {
        const PluginFormatTable *formats = plugin_record(i).formats;
        if (formats && formats->load_palette) {
            const int n = formats->load_palette(path, rgba1024);
            if (n)
                return n;
        }
    }
    const std::string unreadable = unreadable_reason(path);
    if (!unreadable.empty()) {
        show_warning(unreadable);
        return 0;
    }
    for (const FormatDescriptor &row : FormatDescriptors) {
        if (!row.load_palette)
            continue;
        const int n = row.load_palette(path, rgba1024);
        if (n)
            return n;
    }
    if (!report_file_error())
        show_warning("Unable to load file");
    return 0;
}

} // namespace

int load_default_palette(const char *folder)
{
    std::memset(default_palette, 0, sizeof default_palette);
    const std::string path = std::string(folder) + "/palette.lmp";
    uint8_t buffer[1024] = {};
    const int n = palette_file_load(path.c_str(), buffer);
    if (n > 0)
        std::memcpy(default_palette, buffer, sizeof buffer);
    return n;
}

void palette_file_save(const char *path, const uint8_t *rgba, int count)
{
    std::string archive, entry;
    if (split_archive_save_path(path, archive, entry)) {
        with_entry_save(path, archive, entry, [rgba, count](const char *stand_in) {
            return palette_save_named(stand_in, rgba, count);
        });
        return;
    }
    palette_save_named(path, rgba, count);
}

namespace {

int palette_save_named(const char *path, const uint8_t *rgba, int count)
{
    forget_stale_errors();
    reset_save_refusal();
    Attempt attempt = offer_to_plugins(path, [rgba, count](const PluginFormatTable *formats, const char *into) {
        if (!into)
            return formats->save_palette ? 1 : 0;
        return static_cast<int>(formats->save_palette(into, rgba, count));
    });
    if (attempt != Attempt::Declined)
        return attempt == Attempt::Written ? 1 : 0;

    bool matched = false;
    for (const FormatDescriptor &row : FormatDescriptors)
        matched = matched || (row.save_palette && extension_matches(row.pattern, path));
    if (matched) {
        AtomicFile file;
        if (!file.create(path)) {
            report_save_error(path, errno ? errno : EIO);
            return 0;
        }
        errno = 0;
        const SaveGuard guard(path, file);
        for (const FormatDescriptor &row : FormatDescriptors) {
            if (!row.save_palette || !extension_matches(row.pattern, path))
                continue;
            attempt = settle(row.save_palette(path, rgba, count), file, path);
            if (attempt != Attempt::Declined)
                return attempt == Attempt::Written ? 1 : 0;
        }
    }
    if (!report_save_error(path, 0))
        show_warning("Unable to save file in specified format");
    return 0;
}

} // namespace

std::string build_file_filter(int kind)
{
    struct Entry {
        const char *pattern;
        const char *description;
    };
    std::vector<Entry> entries;
    for (int i = 0; i < plugin_count(); ++i) {
        const PluginRecord &record = plugin_record(i);
        if (!plugin_offers(record.formats, kind) || !record.info)
            continue;
        for (const PluginFormat *f = record.info->formats; f->pattern; ++f)
            entries.push_back({f->pattern, f->description ? f->description : f->pattern});
    }
    for (const FormatDescriptor &row : FormatDescriptors)
        if (row_offers(row, kind))
            entries.push_back({row.pattern, row.description});

    std::string filter = "Supported";
    filter.push_back('\0');
    for (const Entry &e : entries) {
        filter += e.pattern;
        filter.push_back(';');
    }
    filter.push_back('\0');
    for (const Entry &e : entries) {
        filter += e.description;
        filter.push_back('\0');
        filter += e.pattern;
        filter.push_back('\0');
    }
    filter += "All Files(*.*)";
    filter.push_back('\0');
    filter += "*.*";
    filter.push_back('\0');
    filter.push_back('\0');
    return filter;
}

int report_file_error()
{
    if (const char *library_error = host().error_text()) {
        show_warning(format_text("Error Encountered: %s", library_error));
        return 1;
    }
    const int code = errno;
    if (code == 0)
        return 0;
    errno = 0;
    const char *text = std::strerror(code);
    if (text && *text)
        show_warning(format_text("Error %i Encountered: %s", code, text));
    else
        show_warning(format_text("Error %i Encountered: An Unknown Error Occured", code));
    return 1;
}
