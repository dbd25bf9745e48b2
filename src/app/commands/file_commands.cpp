#include "app/commands/file_commands.h"

#include "app/commands/document_access.h"
#include "app/document_controller.h"
#include "app/document_view.h"
#include "views/logic/editor_host.h"
#include "platform/platform.h"

#include <IL/il.h>

#include "document/animation.h"
#include "formats/gif_writer.h"
#include "formats/sprite_sheet.h"
#include "platform/scanner.h"
#include "image/host_table.h"
#include "views/logic/property_editor_logic.h"

#include <string>

void file_new(CommandHost &)
{
    if (file_worker_busy())
        return;
    close_document();
    doc_view().update_title();
    doc_update_commands();
}

void file_open(CommandHost &host)
{
    if (!file_worker_busy() && open_document())
        host.watch_file_operation();
}

namespace {

void save(CommandHost &host, bool ask_name)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return;
    // The save marks the document clean itself once the file is written.
    // View changes made while it runs (alpha view, origin mode) are drawn
    // once it has ended.
    if (save_document(ask_name ? nullptr : doc.file_name, &doc.animation, false))
        host.watch_file_operation();
}

} // namespace

void file_save(CommandHost &host) { save(host, false); }
void file_save_as(CommandHost &host) { save(host, true); }

void file_properties(CommandHost &)
{
    if (file_worker_busy())
        return;
    // One undo step holds whatever the user does in the editor, and none
    // is taken when nothing changed.
    if (property_editor_edit(&doc_state().animation.props, "File Properties"))
        doc_view().preview_refresh();
}

void file_exit(CommandHost &host) { host.exit_program(); }

void file_select_source(CommandHost &) { editor_host().select_scanner_source(); }

void file_acquire(CommandHost &)
{
    if (file_worker_busy())
        return;
    // The scan runs behind the platform's progress dialog; the document is
    // touched only once an image has arrived.
    ScannedImage scan;
    if (!editor_host().acquire_scan(scan) || scan.pixels.empty())
        return;
    DocumentState &doc = doc_state();
    doc_ensure_frame(doc);
    doc_begin_edit(1);
    host().bind_image(doc_current_frame(doc)->image);
    const bool colour = scan.channels == 3;
    ilTexImage(static_cast<ILuint>(scan.width), static_cast<ILuint>(scan.height), 1, colour ? 3 : 1,
               colour ? IL_RGB : IL_LUMINANCE, IL_UNSIGNED_BYTE, scan.pixels.data());
    // The scan's rows are top first, as every image of the program.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    doc_view().preview_refresh();
    doc_fill_group_list(doc.current_group);
    doc_update_commands();
}

namespace {

// The file an export of the current group goes to: the save dialog opened
// on "NAME_GROUP.EXT" in the document's folder (never on the document's own
// file); `extension` is added when the name chosen has none.
std::string ask_export_file(const std::string &filter, const std::string &title, const char *extension)
{
    const DocumentState &doc = doc_state();
    std::string name = doc.file_name;
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.erase(dot);
    if (name.empty() || name.back() == '/')
        name += "untitled";
    name += "_" + std::to_string(doc.current_group) + extension;
    std::string path = editor_host().save_file_dialog_named(filter, title, name);
    const size_t chosen_slash = path.rfind('/');
    const size_t chosen_dot = path.rfind('.');
    if (!path.empty() && (chosen_dot == std::string::npos || (chosen_slash != std::string::npos && chosen_dot < chosen_slash)))
        path += extension;
    return path;
}

// Writes the current group with `write`; a failure is told with the file
// and the cause (once: a writer that has told it leaves `why` empty). The
// document is not touched.
void export_group(const std::string &filter, const std::string &title, const char *extension,
                  bool (*write)(const Animation &, int, const std::string &, std::string &))
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return;
    const std::string path = ask_export_file(filter, title, extension);
    if (path.empty())
        return;
    std::string why;
    if (!write(doc.animation, doc.current_group, path, why) && !why.empty())
        show_warning(path + " was not written: " + why);
    doc_view().preview_refresh();
}

bool write_sheet(const Animation &anim, int group, const std::string &path, std::string &why)
{
    return sheet_export(anim, group, 0, 0, path, why);
}

} // namespace

void file_export_sprite_sheet(CommandHost &)
{
    // The formats that keep a sheet's pixels exactly; the array's own NUL
    // ends the list.
    static const char FILTER[] = "Portable Network Graphic (*.png)\0*.png\0Truevision Targa Graphic (*.tga)\0*.tga\0"
                                 "Windows Bitmap (*.bmp)\0*.bmp\0ZSoft PCX (*.pcx)\0*.pcx\0";
    export_group(std::string(FILTER, sizeof FILTER), "Export Sprite Sheet", ".png", write_sheet);
}

void file_export_gif(CommandHost &)
{
    static const char FILTER[] = "Graphic Interchange Format (*.gif)\0*.gif\0";
    export_group(std::string(FILTER, sizeof FILTER), "Export Animated GIF", ".gif", gif_write_group);
}
