// Handlers of the Image menu: colour depth, alpha import and export, the
// filters (eight of them through the Adjust dialog), resize, rotate, flip
// and mirror. Edit Palette belongs to the palette editor.
#pragma once

#include "app/commands/command_host.h"

void image_depth_paletted(CommandHost &host);  // "8 bit paletted"
void image_depth_grayscale(CommandHost &host); // "8 bit grayscale"
void image_depth_rgb(CommandHost &host);       // "24 bit RGB"
void image_depth_rgba(CommandHost &host);      // "32 bit RGBA"

void image_import_alpha(CommandHost &host);
void image_export_alpha(CommandHost &host);
// The current frame matched to a palette through the Match to Palette
// dialog, and matched with an image's marked pixels fullbright.
void image_match_palette(CommandHost &host);
void image_import_fullbright_mask(CommandHost &host);

// Without a parameter.
void image_alienify(CommandHost &host);
void image_edge_detect(CommandHost &host);
void image_emboss(CommandHost &host);
void image_negative(CommandHost &host);
void image_flip(CommandHost &host);
void image_mirror(CommandHost &host);

// Through the Adjust dialog.
void image_contrast(CommandHost &host);
void image_blur_average(CommandHost &host);
void image_blur_gaussian(CommandHost &host);
void image_noisify(CommandHost &host);
void image_pixelize(CommandHost &host);
void image_sharpen(CommandHost &host);
void image_gamma(CommandHost &host);
void image_rotate(CommandHost &host);

void image_resize(CommandHost &host);

// The question asked before a frame is made 32-bit RGBA for a new alpha
// channel (also by Edit > Paste Into Alpha Channel).
inline constexpr const char *CONVERT_TO_RGBA_QUESTION =
    "The current image will need to be converted to 32bpp RGBA to proceed. Continue?";
