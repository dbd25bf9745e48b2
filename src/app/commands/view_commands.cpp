#include "app/commands/view_commands.h"

#include "app/commands/document_access.h"
#include "app/commands/paint_commands.h"
#include "app/document_controller.h"
#include "app/document_view.h"
#include "views/logic/editor_host.h"
#include "app/logic/command_ids.h"
#include "app/logic/settings.h"
#include "document/document_state.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "views/logic/preview_logic.h"

void view_status_bar(CommandHost &host)
{
    settings().statusbar = settings().statusbar ? 0 : 1;
    host.set_checked(IDM_STATUS_BAR, settings().statusbar != 0);
    doc_view().layout();
}

void view_tool_bar(CommandHost &host)
{
    settings().toolbar = settings().toolbar ? 0 : 1;
    host.set_checked(IDM_TOOL_BAR, settings().toolbar != 0);
    doc_view().layout();
}

void view_alpha_channel(CommandHost &host)
{
    alpha_view = alpha_view ? 0 : 1;
    host.set_checked(IDM_VIEW_ALPHA, alpha_view != 0);
    doc_view().preview_refresh();
}

namespace {

// The picture is unchanged: the preview only places it anew.
void zoom_to(CommandHost &host, float zoom)
{
    host.zoom_preview(zoom);
    preview_zoom = zoom;
    doc_view().update_title();
}

// A View option kept in the settings: flipped, checked, shown.
void toggle(CommandHost &host, int32_t &option, int command)
{
    option = option ? 0 : 1;
    host.set_checked(command, option != 0);
    doc_view().preview_refresh();
}

} // namespace

void view_checkerboard(CommandHost &host) { toggle(host, settings().checkerboard, IDM_CHECKERBOARD); }

void view_fullbright_pixels(CommandHost &host) { toggle(host, settings().fullbright_pixels, IDM_FULLBRIGHT_PIXELS); }

void view_tiled(CommandHost &host) { toggle(host, settings().tiled, IDM_TILED); }

void view_onion_skin(CommandHost &host) { toggle(host, settings().onion_skin, IDM_ONION_SKIN); }

void view_game_effects(CommandHost &host) { toggle(host, settings().game_effects, IDM_GAME_EFFECTS); }

void view_game_lighting(CommandHost &host)
{
    GameLighting lighting = game_lighting();
    lighting.level = settings().light_level;
    // Opening the dialog is asking for the light: it comes up switched on.
    lighting.on = true;
    if (editor_host().ask_game_lighting(lighting)) {
        game_lighting() = lighting;
        settings().light_level = lighting.level;
    }
    host.set_checked(IDM_GAME_LIGHTING, game_lighting().on);
    doc_view().preview_refresh();
}

void view_pixel_grid(CommandHost &host) { toggle(host, settings().pixel_grid, IDM_PIXEL_GRID); }

void view_align_frames(CommandHost &host) { toggle(host, settings().align_frames, IDM_ALIGN_FRAMES); }

void view_zoom_fit_on_open(CommandHost &host)
{
    // Takes effect at the next open: the frame shown keeps its zoom.
    settings().zoom_fit_on_open = settings().zoom_fit_on_open ? 0 : 1;
    host.set_checked(IDM_ZOOM_FIT_ON_OPEN, settings().zoom_fit_on_open != 0);
}

void view_fit_opened_document(CommandHost &host)
{
    if (settings().zoom_fit_on_open)
        view_zoom_fit(host);
}

void view_zoom_in(CommandHost &host)
{
    if (doc_has_frame(doc_state()))
        zoom_to(host, preview_zoom_step_in(preview_zoom));
}

void view_zoom_out(CommandHost &host)
{
    if (doc_has_frame(doc_state()))
        zoom_to(host, preview_zoom_step_out(preview_zoom));
}

void view_zoom_100(CommandHost &host)
{
    if (doc_has_frame(doc_state()))
        zoom_to(host, 1.0f);
}

void view_zoom_fit(CommandHost &host)
{
    if (doc_has_frame(doc_state()))
        zoom_to(host, host.preview_zoom_to_fit());
}

std::string image_information_text()
{
    // Asked in this order: the type query may convert a 16-bit image.
    const int colours = static_cast<int>(host().colours_used());
    const int palette = host().palette_size();
    const int depth = host().image_type() & ~7;
    const int height = host().height();
    const int width = host().width();
    return format_text("Dimensions: %i x %i\r\nColor Depth: %i Bpp\r\nPalette Color Count: %i\r\nColors Used: %i\r\n",
                       width, height, depth, palette, colours);
}

void view_image_information(CommandHost &)
{
    if (file_worker_busy())
        return;
    const Frame *frame = doc_current_frame(doc_state());
    if (!frame)
        return;
    host().bind_image(frame->image);
    editor_host().show_image_information(image_information_text());
}

void view_show_checks(CommandHost &host)
{
    const Settings &s = settings();
    const struct {
        int command;
        bool on;
    } checks[] = {
        {IDM_TOOL_BAR, s.toolbar != 0},
        {IDM_STATUS_BAR, s.statusbar != 0},
        {IDM_VIEW_ALPHA, alpha_view != 0},
        {IDM_CHECKERBOARD, s.checkerboard != 0},
        {IDM_PIXEL_GRID, s.pixel_grid != 0},
        {IDM_ALIGN_FRAMES, s.align_frames != 0},
        {IDM_GROUP_BROWSER, s.group_browser != 0},
        {IDM_FRAME_STRIP, s.frame_strip != 0},
        {IDM_PALETTE_PANEL, s.palette_panel != 0},
        {IDM_FULLBRIGHT_PIXELS, s.fullbright_pixels != 0},
        {IDM_TILED, s.tiled != 0},
        {IDM_ONION_SKIN, s.onion_skin != 0},
        {IDM_GAME_EFFECTS, s.game_effects != 0},
        {IDM_GAME_LIGHTING, game_lighting().on},
        {IDM_ZOOM_FIT_ON_OPEN, s.zoom_fit_on_open != 0},
    };
    for (const auto &check : checks)
        host.set_checked(check.command, check.on);
    // Origin mode's mark with the tools'.
    paint_show_tool(host);
}
