#include "fileio/format_table.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <IL/il.h>
#include <IL/ilu.h>

#include "fileio/codec_guard.h"
#include "fileio/generic_formats.h"
#include "fileio/safe_save.h"
#include "plugins/host_table.h"
#include "plugins/plugin_registry.h"
#include "quake/picture.h"
#include "quake/sprite.h"
#include "quake/wad2.h"

// Every row operation runs inside codec_guard: no exception leaves a codec.
#define G_LOAD codec_guard::load<generic_image_load>
#define G_SAVE codec_guard::save<generic_image_save>
#define I_PAL codec_guard::load_palette<image_palette_load>
#define LOAD(fn) codec_guard::load<fn>
#define SAVE(fn) codec_guard::save<fn>

const FormatRow FormatTable[FORMAT_ROW_COUNT + 1] = {
    {LOAD(sprite32_load), SAVE(sprite32_save), nullptr, nullptr, "Darkplaces Sprite (*.spr32)", "*.spr32"},
    {LOAD(quake_sprite_load), SAVE(quake_sprite_save), nullptr, nullptr, "Quake Sprite (*.spr)", "*.spr"},
    {LOAD(wad2_load), SAVE(wad2_save), nullptr, nullptr, "Quake WAD2 (*.wad)", "*.wad"},
    {LOAD(lmp_load), SAVE(lmp_save), nullptr, nullptr, "Quake Lmp (*.lmp)", "*.lmp"},
    {LOAD(mip_load), SAVE(mip_save), nullptr, nullptr, "Quake Mip (*.mip)", "*.mip"},
    {nullptr, nullptr, codec_guard::load_palette<palette_lmp_load>, codec_guard::save_palette<palette_lmp_save>,
     "Quake Palette (palette.lmp)", "palette.lmp"},
    {G_LOAD, G_SAVE, I_PAL, nullptr, "Windows or OS/2 Bitmap (*.bmp)", "*.bmp"},
    {G_LOAD, nullptr, nullptr, nullptr, "Dr. Halo Bitmap (*.cut)", "*.cut"},
    {G_LOAD, nullptr, nullptr, nullptr, "Windows Cursor (*.cur)", "*.cur"},
    // The description names .dcx but the row filters and matches .cut.
    {G_LOAD, nullptr, nullptr, nullptr, "Multipage PCX Bitmap (*.dcx)", "*.cut"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "DirectX Direct Draw Surface (*.dds)", "*.dds"},
    {G_LOAD, G_SAVE, I_PAL, nullptr, "Device Independant Bitmap (*.dib)", "*.dib"},
    {G_LOAD, nullptr, nullptr, nullptr, "Windows Icon (*.ico)", "*.ico"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "Truevision Targa Bitmap (*.icb)", "*.icb"},
    {G_LOAD, nullptr, I_PAL, nullptr, "Graphic Interchange Format (*.gif)", "*.gif"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "JPEG/JIFF Image (*.jpg)", "*.jpg"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "JPEG/JIFF Image (*.jpe)", "*.jpe"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "JPEG/JIFF Image (*.jpeg)", "*.jpeg"},
    {G_LOAD, nullptr, nullptr, nullptr, "JPEG Network Graphic (*.jng)", "*.jng"},
    {G_LOAD, nullptr, I_PAL, nullptr, "Amiga Interleaved Bitmap Format (*.lbm)", "*.lbm"},
    {G_LOAD, nullptr, nullptr, nullptr, "Homeworld Layered Image Format File (*.lif)", "*.lif"},
    {G_LOAD, nullptr, nullptr, nullptr, "Multi-image Network Graphics (*.mng)", "*.mng"},
    {G_LOAD, nullptr, nullptr, nullptr, "Photo CD Image (*.pcd)", "*.pcd"},
    {G_LOAD, G_SAVE, I_PAL, nullptr, "PC Paintbrush Bitmap Graphic (*.pcx)", "*.pcx"},
    {G_LOAD, nullptr, nullptr, nullptr, "Macintosh PICT drawing (*.pic)", "*.pic"},
    {G_LOAD, G_SAVE, I_PAL, nullptr, "Portable Network Graphic (*.png)", "*.png"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "Portable Any Map Graphic Bitmap (*.pnm)", "*.pnm"},
    {G_LOAD, nullptr, nullptr, nullptr, "Phostoshop Document (*.psd)", "*.psd"},
    {G_LOAD, nullptr, nullptr, nullptr, "Paint Shop Pro Image (*.psp)", "*.psp"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "RAW RGB 24-bit Graphic (*.raw)", "*.raw"},
    {G_LOAD, nullptr, nullptr, nullptr, "Silicon Graphics IRIS Graphic File (*.sgi)", "*.sgi"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "Truevision Targa Graphic (*.tga)", "*.tga"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "Tagged Image Format File (*.tif)", "*.tif"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "Truevision Targa Bitmap (*.vda)", "*.vda"},
    {G_LOAD, G_SAVE, nullptr, nullptr, "Truevision Targa Bitmap (*.vst)", "*.vst"},
    {G_LOAD, nullptr, nullptr, nullptr, "Quake 2 Texture File (*.wal)", "*.wal"},
    {G_LOAD, nullptr, nullptr, nullptr, "X Pixmap Graphic (*.xpm)", "*.xpm"},
    {nullptr, nullptr, codec_guard::load_palette<generic_palette_load>, nullptr, "Photoshop Color Table (*.act)",
     "*.act"},
    {nullptr, nullptr, codec_guard::load_palette<generic_palette_load>, nullptr, "Autodesk Color Palette (*.col)",
     "*.col"},
    {nullptr, nullptr, codec_guard::load_palette<generic_palette_load>, codec_guard::save_palette<generic_palette_save>,
     "Dr. Halo / Jasc Palette (*.pal)", "*.pal"},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};

#undef G_LOAD
#undef G_SAVE
#undef I_PAL
#undef LOAD
#undef SAVE

namespace {

bool row_offers(const FormatRow &row, int kind)
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

// A file that cannot be opened is reported with the system's cause and its
// name before any reader guesses at it.
bool readable_or_reported(const char *path)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return true;
    }
    const int code = errno;
    show_warning(format_text("Error %i Encountered: %s (%s)", code, std::strerror(code), path));
    errno = 0;
    return false;
}

thread_local bool load_was_refused = false;

} // namespace

void load_refused() { load_was_refused = true; }

int extension_matches(const char *pattern, const char *path)
{
    const char *pattern_dot = std::strrchr(pattern, '.');
    const char *path_dot = std::strrchr(path, '.');
    if (!pattern_dot || !path_dot)
        return 0;
    return std::strcmp(pattern_dot, path_dot) == 0 ? 1 : 0;
}

int file_load(const char *path, Animation *anim)
{
    forget_stale_errors();
    for (int i = 0; i < plugin_count(); ++i) {
        const PluginFormatTable *formats = plugin_record(i).formats;
        if (formats && formats->load_image && formats->load_image(path, anim))
            return 1;
    }
    if (!readable_or_reported(path))
        return 1;
    load_was_refused = false;
    // A reader that has said why it refused the file has ended the load: a
    // generic reader after it could only contradict it ("not an image of a
    // format Vorn can read").
    const unsigned long warnings_before = warnings_shown();
    for (int i = 0; FormatTable[i].description; ++i) {
        const FormatRow &row = FormatTable[i];
        if (row.load_image && extension_matches(row.pattern, path) && row.load_image(path, anim))
            return 1;
        if (load_was_refused || warnings_shown() != warnings_before) {
            load_was_refused = false;
            return 1;
        }
    }
    generic_image_load(path, anim);
    return 1;
}

int file_save(const char *path, Animation *anim)
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
    for (int i = 0; FormatTable[i].description; ++i) {
        const FormatRow &row = FormatTable[i];
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

bool save_writes_first_frame_only(const char *path)
{
    for (int i = 0; i < plugin_count(); ++i) {
        const PluginFormatTable *formats = plugin_record(i).formats;
        if (formats && formats->save_image)
            return false;
    }
    if (!std::strchr(path, '.'))
        return false;
    const SaveImageFn first_frame_writers[] = {codec_guard::save<lmp_save>, codec_guard::save<mip_save>,
                                               codec_guard::save<generic_image_save>};
    for (int i = 0; FormatTable[i].description; ++i) {
        const FormatRow &row = FormatTable[i];
        if (!row.save_image || !extension_matches(row.pattern, path))
            continue;
        bool first_frame_only = false;
        for (SaveImageFn writer : first_frame_writers)
            first_frame_only = first_frame_only || row.save_image == writer;
        if (!first_frame_only)
            return false;
    }
    return true; // the matching rows and the generic writer that follows them
}

int palette_file_load(const char *path, uint8_t *rgba1024)
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
    if (!readable_or_reported(path))
        return 0;
    for (int i = 0; FormatTable[i].description; ++i) {
        const FormatRow &row = FormatTable[i];
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

void palette_file_save(const char *path, const uint8_t *rgba, int count)
{
    forget_stale_errors();
    reset_save_refusal();
    Attempt attempt = offer_to_plugins(path, [rgba, count](const PluginFormatTable *formats, const char *into) {
        if (!into)
            return formats->save_palette ? 1 : 0;
        return static_cast<int>(formats->save_palette(into, rgba, count));
    });
    if (attempt != Attempt::Declined)
        return;

    bool matched = false;
    for (int i = 0; FormatTable[i].description; ++i)
        matched = matched || (FormatTable[i].save_palette && extension_matches(FormatTable[i].pattern, path));
    if (matched) {
        AtomicFile file;
        if (!file.create(path)) {
            report_save_error(path, errno ? errno : EIO);
            return;
        }
        errno = 0;
        const SaveGuard guard(path, file);
        for (int i = 0; FormatTable[i].description; ++i) {
            const FormatRow &row = FormatTable[i];
            if (!row.save_palette || !extension_matches(row.pattern, path))
                continue;
            attempt = settle(row.save_palette(path, rgba, count), file, path);
            if (attempt != Attempt::Declined)
                return;
        }
    }
    if (!report_save_error(path, 0))
        show_warning("Unable to save file in specified format");
}

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
    for (int i = 0; FormatTable[i].description; ++i)
        if (row_offers(FormatTable[i], kind))
            entries.push_back({FormatTable[i].pattern, FormatTable[i].description});

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
