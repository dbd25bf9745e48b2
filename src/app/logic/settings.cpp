#include "app/logic/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "app/document_controller.h"
#include "app/logic/ini_file.h"
#include "document/document_state.h"
#include "formats/generic_formats.h"
#include "image/image_limits.h"
#include "quake/fullbright.h"
#include "platform/platform.h"
#include "platform/program_folder.h"
#include "image/host_table.h"
#include "plugins/plugin_loader.h"

namespace {

constexpr const char *INI_NAME = "vorn.ini";

// Creates every missing folder of `path` (mkdir -p).
void make_folders(const std::string &path)
{
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (!part.empty())
            mkdir(part.c_str(), 0755);
        if (slash == std::string::npos)
            break;
    }
}

std::string recent_key(int number) { return "File" + std::to_string(number); }

std::string folder_of(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string color_key(int i) { return "Color" + std::to_string(i + 1); }

} // namespace

Settings &settings()
{
    static Settings values;
    return values;
}

std::string settings_file_path_for(const std::string &program_folder, bool ini_exists, bool folder_writable,
                                   const char *xdg_config_home, const char *home)
{
    if (ini_exists || folder_writable)
        return program_folder + "/" + INI_NAME;
    std::string config;
    if (xdg_config_home && xdg_config_home[0] == '/')
        config = xdg_config_home;
    else
        config = std::string(home ? home : "") + "/.config";
    return config + "/vorn/" + INI_NAME;
}

std::string settings_file_path()
{
    const std::string &folder = program_folder();
    const std::string beside = folder + "/" + INI_NAME;
    const bool exists = access(beside.c_str(), F_OK) == 0;
    const bool writable = access(folder.c_str(), W_OK) == 0;
    return settings_file_path_for(folder, exists, writable, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

void load_settings() { load_settings_from(settings_file_path()); }

void load_settings_from(const std::string &path)
{
    IniFile ini;
    ini.load(path);
    Settings &s = settings();
    const Settings defaults;
    s.toolbar = ini.get_int(SETTINGS_SECTION, "Toolbar", defaults.toolbar);
    s.statusbar = ini.get_int(SETTINGS_SECTION, "Statusbar", defaults.statusbar);
    s.gif_hack = ini.get_int(SETTINGS_SECTION, "GifHack", defaults.gif_hack);
    s.jpeg_quality = ini.get_int(SETTINGS_SECTION, "JpegQuality", defaults.jpeg_quality);
    s.rle_compress = ini.get_int(SETTINGS_SECTION, "RleCompress", defaults.rle_compress);
    s.palette_global = ini.get_int(SETTINGS_SECTION, "PaletteGlobal", defaults.palette_global);
    s.palette_maintain_index = ini.get_int(SETTINGS_SECTION, "PaletteMaintainIndex", defaults.palette_maintain_index);
    for (int i = 0; i < CUSTOM_COLOR_COUNT; ++i)
        s.custom_colors[i] = ini.get_int(SETTINGS_SECTION, color_key(i), defaults.custom_colors[i]);
    s.clear_color = ini.get_int(SETTINGS_SECTION, "ClearColor", defaults.clear_color);
    s.checkerboard = ini.get_int(SETTINGS_SECTION, "Checkerboard", defaults.checkerboard);
    s.pixel_grid = ini.get_int(SETTINGS_SECTION, "PixelGrid", defaults.pixel_grid);
    s.align_frames = ini.get_int(SETTINGS_SECTION, "AlignFrames", defaults.align_frames);
    s.group_browser = ini.get_int(SETTINGS_SECTION, "GroupBrowser", defaults.group_browser);
    s.frame_strip = ini.get_int(SETTINGS_SECTION, "FrameStrip", defaults.frame_strip);
    s.palette_panel = ini.get_int(SETTINGS_SECTION, "PalettePanel", defaults.palette_panel);
    s.fullbright_pixels = ini.get_int(SETTINGS_SECTION, "FullbrightPixels", defaults.fullbright_pixels);
    s.tiled = ini.get_int(SETTINGS_SECTION, "Tiled", defaults.tiled);
    s.onion_skin = ini.get_int(SETTINGS_SECTION, "OnionSkin", defaults.onion_skin);
    s.onion_opacity = std::clamp(ini.get_int(SETTINGS_SECTION, "OnionOpacity", defaults.onion_opacity), 0, 100);
    s.light_level = std::clamp(ini.get_int(SETTINGS_SECTION, "LightLevel", defaults.light_level), 0, 63);
    s.game_effects = ini.get_int(SETTINGS_SECTION, "GameEffects", defaults.game_effects);
    // Read, never written: a limit the user raised on purpose stays in the
    // file as it is (save keeps keys it does not know).
    std::string most_pixels;
    s.max_pixels = 0;
    if (ini.get(SETTINGS_SECTION, "MaxPixels", most_pixels)) {
        char *end = nullptr;
        const unsigned long long value = std::strtoull(most_pixels.c_str(), &end, 10);
        if (end != most_pixels.c_str() && most_pixels.find('-') == std::string::npos)
            s.max_pixels = value;
    }
    s.zoom_fit_on_open = ini.get_int(SETTINGS_SECTION, "ZoomFitOnOpen", defaults.zoom_fit_on_open);
    s.mips_fullbright_safe = ini.get_int(SETTINGS_SECTION, "MipsFullbrightSafe", defaults.mips_fullbright_safe);
    s.recent_files.clear();
    for (int i = 1; i <= RECENT_FILE_COUNT; ++i) {
        std::string recent;
        if (ini.get(RECENT_FILES_SECTION, recent_key(i), recent) && !recent.empty())
            s.recent_files.push_back(recent);
    }

    const uint32_t c = static_cast<uint32_t>(s.clear_color);
    host().clear_colour(static_cast<float>(c & 0xFF) / 255.0f, static_cast<float>((c >> 8) & 0xFF) / 255.0f,
                        static_cast<float>((c >> 16) & 0xFF) / 255.0f, 0.0f);
    host().set_save_option(SAVE_OPTION_JPEG_QUALITY, s.jpeg_quality);
    host().set_save_option(SAVE_OPTION_BMP_RLE, s.rle_compress);
    generic_set_gif_hack(s.gif_hack != 0);
    set_max_image_pixels(s.max_pixels);
    set_mips_fullbright_safe(s.mips_fullbright_safe != 0);
}

void save_settings() { save_settings_to(settings_file_path()); }

void save_settings_to(const std::string &path)
{
    Settings &s = settings();
    // A plug-in may have changed these through the host table.
    s.jpeg_quality = host().get_save_option(SAVE_OPTION_JPEG_QUALITY);
    s.rle_compress = host().get_save_option(SAVE_OPTION_BMP_RLE);

    IniFile ini;
    ini.load(path);
    auto put = [&ini](const std::string &key, int32_t value) {
        ini.set(SETTINGS_SECTION, key, format_text("%i", value));
    };
    put("Toolbar", s.toolbar);
    put("Statusbar", s.statusbar);
    put("GifHack", s.gif_hack);
    put("JpegQuality", s.jpeg_quality);
    put("RleCompress", s.rle_compress);
    put("PaletteGlobal", s.palette_global);
    put("PaletteMaintainIndex", s.palette_maintain_index);
    for (int i = 0; i < CUSTOM_COLOR_COUNT; ++i)
        put(color_key(i), s.custom_colors[i]);
    put("ClearColor", s.clear_color);
    put("Checkerboard", s.checkerboard);
    put("PixelGrid", s.pixel_grid);
    put("AlignFrames", s.align_frames);
    put("GroupBrowser", s.group_browser);
    put("FrameStrip", s.frame_strip);
    put("PalettePanel", s.palette_panel);
    put("FullbrightPixels", s.fullbright_pixels);
    put("Tiled", s.tiled);
    put("OnionSkin", s.onion_skin);
    put("OnionOpacity", s.onion_opacity);
    put("LightLevel", s.light_level);
    put("GameEffects", s.game_effects);
    put("ZoomFitOnOpen", s.zoom_fit_on_open);
    // One path per line: a name holding a line break cannot be kept, and
    // blanks at either end would be trimmed away when read back.
    int kept = 0;
    for (const std::string &recent : s.recent_files) {
        if (kept == RECENT_FILE_COUNT)
            break;
        if (recent.empty() || recent.find_first_of("\r\n") != std::string::npos ||
            recent.front() == ' ' || recent.back() == ' ')
            continue;
        ini.set(RECENT_FILES_SECTION, recent_key(++kept), recent);
    }
    for (int i = kept + 1; i <= RECENT_FILE_COUNT; ++i)
        ini.remove(RECENT_FILES_SECTION, recent_key(i));

    const std::string folder = folder_of(path);
    if (!folder.empty() && access(folder.c_str(), F_OK) != 0)
        make_folders(folder);
    // A failed write is not reported: the program is ending anyway.
    ini.save(path);
}

int shutdown_program(const std::function<void(int)> &exit_process)
{
    // The window refuses to close while a worker runs; this keeps any other
    // caller from ending the process in the middle of writing a file.
    if (file_worker_busy()) {
        show_warning("File Operation in progress.");
        return 0;
    }
    if (!close_document())
        return 0;
    save_settings();
    // Every image goes back to the library before it shuts down.
    doc_reset();
    file_worker_wait();
    host().shut_down();
    unload_plugins();
    if (exit_process)
        exit_process(1);
    else
        std::exit(1);
    return 1;
}

PreviewOptions preview_options(const Settings &s)
{
    PreviewOptions o;
    o.checkerboard = s.checkerboard != 0;
    o.grid = s.pixel_grid != 0;
    o.align_frames = s.align_frames != 0;
    o.fullbright_pixels = s.fullbright_pixels != 0;
    o.tiled = s.tiled != 0;
    o.onion_skin = s.onion_skin != 0;
    o.onion_opacity = s.onion_opacity;
    o.game_effects = s.game_effects != 0;
    return o;
}
