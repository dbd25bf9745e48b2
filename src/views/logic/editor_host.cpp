#include "views/logic/editor_host.h"

#include <atomic>

#include "platform/platform.h"

namespace {

std::atomic<EditorHost *> current{nullptr};

} // namespace

QuestionAnswer EditorHost::ask_yes_no_save(const std::string &text)
{
    return platform().ask_yes_no(text) ? QuestionAnswer::Yes : QuestionAnswer::No;
}
std::string EditorHost::open_file_dialog(const std::string &, const std::string &) { return {}; }
std::string EditorHost::save_file_dialog(const std::string &, const std::string &) { return {}; }
std::vector<std::string> EditorHost::open_files_dialog(const std::string &filter, const std::string &title)
{
    std::string path = open_file_dialog(filter, title);
    if (path.empty())
        return {};
    return {path};
}
std::string EditorHost::open_file_dialog_named(const std::string &filter, const std::string &title,
                                               const std::string &)
{
    return open_file_dialog(filter, title);
}
std::string EditorHost::save_file_dialog_named(const std::string &filter, const std::string &title,
                                               const std::string &)
{
    return save_file_dialog(filter, title);
}
std::string EditorHost::save_file_dialog_typed(const std::string &filter, const std::string &title,
                                               const std::string &initial, std::string &type)
{
    type.clear();
    return initial.empty() ? save_file_dialog(filter, title) : save_file_dialog_named(filter, title, initial);
}
bool EditorHost::ask_texture_format(int &) { return true; }
std::string EditorHost::choose_archive_entry(const std::string &) { return {}; }

bool EditorHost::ask_group_name(const std::string &, std::string &) { return false; }
void EditorHost::show_property_editor(PropertyList *, const std::string &) {}
int EditorHost::show_adjust_dialog(const std::string &, int, int, int, int initial) { return initial; }
void EditorHost::show_palette_editor() {}
bool EditorHost::choose_color(uint32_t &, int32_t *) { return false; }
bool EditorHost::ask_colormap_parameters(int32_t &, float &) { return false; }
bool EditorHost::show_resize_dialog(int, int, bool, ResizeChoice &) { return false; }
bool EditorHost::show_match_palette_dialog(uint32_t, MatchPaletteChoice &) { return false; }
void EditorHost::show_image_information(const std::string &) {}
bool EditorHost::ask_game_lighting(GameLighting &) { return false; }
bool EditorHost::put_clipboard_image(uint32_t) { return false; }
bool EditorHost::get_clipboard_image(uint32_t) { return false; }
bool EditorHost::open_in_browser(const std::string &) { return false; }

bool EditorHost::scanner_available() { return scanner_library_available(); }
bool EditorHost::select_scanner_source() { return false; }

bool EditorHost::acquire_scan(ScannedImage &image)
{
    const std::atomic<bool> never{false};
    std::string error;
    const bool acquired = scanner_acquire(
        scanner_chosen_device(), image, error, [](int percent) { platform().set_progress(percent); }, never);
    platform().set_progress(-1);
    if (!acquired && !error.empty())
        show_warning("Unable to scan: " + error);
    return acquired;
}

EditorHost &editor_host()
{
    static EditorHost none;
    EditorHost *host = current.load();
    return host ? *host : none;
}

void set_editor_host(EditorHost *backend) { current.store(backend); }
