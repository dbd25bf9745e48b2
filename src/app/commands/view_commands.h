// Handlers of the View menu.
#pragma once

#include <string>

#include "app/commands/command_host.h"

void view_status_bar(CommandHost &host);
void view_tool_bar(CommandHost &host);
void view_alpha_channel(CommandHost &host);
void view_zoom_in(CommandHost &host);
void view_zoom_out(CommandHost &host);
void view_zoom_100(CommandHost &host);
void view_zoom_fit(CommandHost &host);
// View options kept in the settings.
void view_checkerboard(CommandHost &host);
// How the game shows the frame: fullbright pixels marked, the frame tiled
// 3 x 3, the neighbouring frames under it, the game's light.
void view_fullbright_pixels(CommandHost &host);
void view_tiled(CommandHost &host);
void view_onion_skin(CommandHost &host);
void view_game_effects(CommandHost &host);
void view_game_lighting(CommandHost &host);
// Puts the check marks of every View toggle, the tools and origin mode as
// the settings and the views' state say (at start).
void view_show_checks(CommandHost &host);
void view_pixel_grid(CommandHost &host);
void view_align_frames(CommandHost &host);
void view_zoom_fit_on_open(CommandHost &host);
// A document has just been opened: Zoom to Fit when the option is on.
void view_fit_opened_document(CommandHost &host);
void view_image_information(CommandHost &host);

// The four lines of Image Information for the bound image.
std::string image_information_text();
