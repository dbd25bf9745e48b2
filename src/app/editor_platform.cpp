#include "app/editor_platform.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>

#include "app/document_view.h"
#include "app/logic/settings.h"
#include "image/texture_format.h"
#include "views/adjust_dialog.h"
#include "views/archive_browser_dialog.h"
#include "views/colormap_dialog.h"
#include "views/game_lighting_dialog.h"
#include "views/group_name_dialog.h"
#include "views/image_information_dialog.h"
#include "views/palette_editor_dialog.h"
#include "views/property_editor_dialog.h"
#include "views/match_palette_dialog.h"
#include "views/resize_dialog.h"

namespace {

QColor from_colorref(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

uint32_t to_colorref(const QColor &c)
{
    return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
           static_cast<uint32_t>(c.blue()) << 16;
}

} // namespace

bool choose_color_dialog(uint32_t &color, int32_t *custom_colors, QWidget *owner)
{
    // The custom colours are process-wide in Qt; the settings' ones are
    // handed over before and taken back after.
    for (int i = 0; i < CUSTOM_COLOR_COUNT && custom_colors; ++i)
        QColorDialog::setCustomColor(i, from_colorref(static_cast<uint32_t>(custom_colors[i])));
    QColorDialog dialog(from_colorref(color), owner);
    dialog.setObjectName(QStringLiteral("color_chooser"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < CUSTOM_COLOR_COUNT && custom_colors; ++i)
        custom_colors[i] = static_cast<int32_t>(to_colorref(QColorDialog::customColor(i)));
    if (owner) {
        owner->activateWindow();
        owner->raise();
    }
    if (!accepted)
        return false;
    color = to_colorref(dialog.selectedColor());
    return true;
}

namespace {

// The palette editor's own dialogs belong to it, not to the main window.
QWidget *dialog_owner(QWidget *fallback)
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal ? modal : fallback;
}

} // namespace

std::string EditorPlatform::choose_archive_entry(const std::string &archive)
{
    std::string entry;
    run_on_ui_thread([&] { entry = choose_archive_entry_dialog(archive, owner()); });
    return entry;
}

bool EditorPlatform::ask_group_name(const std::string &initial, std::string &name)
{
    bool ok = false;
    run_on_ui_thread([&] { ok = ::ask_group_name(initial, name, owner()); });
    return ok;
}

void EditorPlatform::show_property_editor(PropertyList *list, const std::string &title)
{
    run_on_ui_thread([&] { ::show_property_editor(list, title, owner()); });
}

PaletteEditorOptions palette_editor_settings()
{
    Settings &s = settings();
    return PaletteEditorOptions{&s.palette_maintain_index, &s.palette_global, s.custom_colors};
}

void EditorPlatform::show_palette_editor()
{
    run_on_ui_thread([&] { ::show_palette_editor(owner(), palette_editor_settings()); });
}

bool EditorPlatform::choose_color(uint32_t &color, int32_t *custom_colors)
{
    bool ok = false;
    run_on_ui_thread([&] { ok = choose_color_dialog(color, custom_colors, dialog_owner(owner())); });
    return ok;
}

bool EditorPlatform::ask_colormap_parameters(int32_t &fullbrights, float &range)
{
    bool ok = false;
    run_on_ui_thread([&] { ok = ::ask_colormap_parameters(fullbrights, range, dialog_owner(owner())); });
    return ok;
}

std::string EditorPlatform::open_file_dialog_named(const std::string &filter, const std::string &title,
                                                   const std::string &initial)
{
    std::string chosen;
    run_on_ui_thread([&] {
        const QStringList filters = qt_name_filters(filter);
        QString selected = filters.isEmpty() ? QString() : filters.front();
        const QString name = QFileDialog::getOpenFileName(
            dialog_owner(owner()), title.empty() ? QStringLiteral("Open") : QString::fromStdString(title),
            QFile::decodeName(initial.c_str()), filters.join(QStringLiteral(";;")), &selected);
        if (!name.isEmpty())
            chosen = QFile::encodeName(name).toStdString();
    });
    return chosen;
}

std::string EditorPlatform::save_file_dialog_named(const std::string &filter, const std::string &title,
                                                   const std::string &initial)
{
    std::string chosen;
    run_on_ui_thread([&] {
        const QStringList filters = qt_name_filters(filter);
        QString selected = filters.isEmpty() ? QString() : filters.front();
        // The overwrite question is the dialog's own (on by default).
        const QString name = QFileDialog::getSaveFileName(
            dialog_owner(owner()), title.empty() ? QStringLiteral("Save As") : QString::fromStdString(title),
            QFile::decodeName(initial.c_str()), filters.join(QStringLiteral(";;")), &selected);
        if (!name.isEmpty())
            chosen = QFile::encodeName(name).toStdString();
    });
    return chosen;
}

std::string EditorPlatform::save_file_dialog_typed(const std::string &filter, const std::string &title,
                                                  const std::string &initial, std::string &type)
{
    std::string chosen;
    type.clear();
    run_on_ui_thread([&] {
        const QStringList filters = qt_name_filters(filter);
        QString selected = filters.isEmpty() ? QString() : filters.front();
        const QString name = QFileDialog::getSaveFileName(
            dialog_owner(owner()), title.empty() ? QStringLiteral("Save As") : QString::fromStdString(title),
            QFile::decodeName(initial.c_str()), filters.join(QStringLiteral(";;")), &selected);
        if (name.isEmpty())
            return;
        chosen = QFile::encodeName(name).toStdString();
        type = qt_filter_description(filter, selected);
    });
    return chosen;
}

bool EditorPlatform::ask_texture_format(int &format)
{
    bool ok = false;
    run_on_ui_thread([&] {
        QStringList names;
        for (int k = 0; k < TEXTURE_FORMAT_COUNT; ++k)
            names << QString::fromUtf8(texture_format_name(k));
        const int current = format >= 0 && format < TEXTURE_FORMAT_COUNT ? format : 0;
        const QString picked =
            QInputDialog::getItem(dialog_owner(owner()), QStringLiteral("Half-Life Sprite"),
                                  QStringLiteral("Texture format:"), names, current, false, &ok);
        if (ok)
            format = static_cast<int>(names.indexOf(picked));
    });
    return ok && format >= 0;
}

int EditorPlatform::show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial)
{
    int value = initial;
    const auto refresh_preview = [] { doc_view().preview_refresh(); };
    run_on_ui_thread(
        [&] { value = ::show_adjust_dialog(title, minimum, maximum, scale, initial, owner(), refresh_preview); });
    return value;
}

bool EditorPlatform::show_resize_dialog(int width, int height, bool indexed, ResizeChoice &choice)
{
    bool ok = false;
    run_on_ui_thread([&] { ok = ::show_resize_dialog(width, height, indexed, choice, owner()); });
    return ok;
}

bool EditorPlatform::show_match_palette_dialog(uint32_t frame, MatchPaletteChoice &choice)
{
    bool ok = false;
    run_on_ui_thread([&] { ok = ::show_match_palette_dialog(frame, choice, owner()); });
    return ok;
}

void EditorPlatform::show_image_information(const std::string &text)
{
    run_on_ui_thread([&] { ::show_image_information(text, owner()); });
}

bool EditorPlatform::ask_game_lighting(GameLighting &lighting)
{
    bool ok = false;
    run_on_ui_thread([&] { ok = ::ask_game_lighting(lighting, owner()); });
    return ok;
}
