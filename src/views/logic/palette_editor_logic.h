// The palette editor's work on the document and the files, without its
// widgets: reading the current frame's palette into the working palette,
// editing one entry (colour chooser or alpha prompt), loading and saving
// palette files, generating a colormap, and OK's application of the working
// palette to one frame or to all of them.
#pragma once

#include <cstdint>
#include <string>

#include "views/logic/palette_grid_logic.h"

// Commands of the palette editor's buttons and menu.
inline constexpr int IDC_PALETTE_OK = 1;
inline constexpr int IDC_PALETTE_CANCEL = 2;
inline constexpr int IDC_PALETTE_LOAD = 3;
inline constexpr int IDC_PALETTE_SAVE = 4;
inline constexpr int IDC_PALETTE_GRID = 1020;
inline constexpr int IDC_PALETTE_INDEX_LABEL = 1021;
inline constexpr int IDC_PALETTE_COLOR_LABEL = 1022;
inline constexpr int IDM_PALETTE_GENERATE_COLORMAP = 40090;
inline constexpr int IDM_PALETTE_MAINTAIN_INDEXES = 40091;
inline constexpr int IDM_PALETTE_APPLY_ALL_FRAMES = 40092;
inline constexpr int IDM_PALETTE_ADD_COLOR = 40115;
inline constexpr int IDM_PALETTE_DELETE_COLOR = 40116;
inline constexpr int IDM_PALETTE_CHANGE_ALPHA = 40117;

inline constexpr const char *PALETTE_NOT_PALETTED_MESSAGE =
    "This image is not paletted, changes made in the palette editor will be discarded";
inline constexpr const char *PALETTE_TOO_MANY_COLORS_MESSAGE =
    "Error: Palette contains more than 256 colors in the palette, Vorn cannot edit this palette properly.";
// The colormap save dialog's one filter entry.
inline constexpr const char *COLORMAP_FILE_LABEL = "colormap.lmp";

// The editor's lasting options, which whoever opens it keeps (the editor's
// settings): the Options menu's two check items (0 or 1 when toggled) and
// the colour chooser's 16 custom colours (0x00BBGGRR). The editor reads and
// changes them where they are kept.
struct PaletteEditorOptions {
    int32_t *maintain_indexes = nullptr;
    int32_t *all_frames = nullptr;
    int32_t *custom_colors = nullptr;
};

// "Change Alpha": double-clicks edit the alpha instead of the colour. Lasts
// for the run, off at start.
extern bool palette_change_alpha;

// The grid as the editor opens: all zero, entry 0 selected; when the
// document has a current frame, that frame's palette (any of the four
// layouts; three-byte entries get alpha 0) with the labels shown. A frame
// without a palette gives an empty grid and PALETTE_NOT_PALETTED_MESSAGE;
// more than 256 colours, PALETTE_TOO_MANY_COLORS_MESSAGE and the first 256.
void palette_editor_open(PaletteGridState &grid);
// Reads the bound image's palette into the grid (see palette_editor_open).
void palette_grid_read_bound_image(PaletteGridState &grid);

// A double-click on entry `index`: selects it, then asks for the entry's
// alpha (the Adjust dialog titled "Alpha", 0..255) when Change Alpha is
// on, else its colour (the colour chooser with the custom colours
// `custom_colors`). Only the working palette changes; the document waits
// for OK. False, nothing done, for an index outside the cells.
bool palette_editor_edit_entry(PaletteGridState &grid, int index, int32_t *custom_colors);

// Load: the palette-loading dialog, then the palette dispatch; the entry
// count becomes what was read, selection and labels are kept. True when a
// palette was read. Each dialog opens on the name last chosen in it.
bool palette_editor_load(PaletteGridState &grid);
// Save: the palette-saving dialog, then the palette dispatch with the
// entries in use.
void palette_editor_save(const PaletteGridState &grid);

// Generate Colormap: its dialog, then a save dialog with the one filter
// "colormap.lmp", then the 16385-byte table of all 256 entries of
// `colors`. A file that cannot be written is reported with its name and
// the cause; the file that was there is kept. True when written.
bool palette_editor_generate_colormap(const uint8_t *colors);
// What the status bar says once a colormap has been written to `path`.
std::string colormap_written_text(const std::string &path);
// The file the last Generate Colormap wrote, handed over once: empty when
// none was written since the last call.
std::string palette_editor_take_written_colormap();
// The Generate Colormap dialog's OK on the texts of its two fields: false
// with the warning when the fullbright count is not 0..256 (the dialog stays
// open), else true with the parameters.
bool colormap_dialog_accept(const std::string &fullbrights_text, const std::string &range_text,
                            int32_t &fullbrights, float &range);

// OK: one undo step (when the document has groups), then the working
// palette given to the current frame, or with `all_frames` to every frame of
// every group; frames without a palette are skipped. With `maintain_indexes`
// the pixels keep their indexes, otherwise each is matched to the nearest
// colour of the working palette. Each frame's palette keeps its layout. An
// empty working palette is given to no frame.
void palette_editor_apply(const PaletteGridState &grid, bool maintain_indexes, bool all_frames);
// The working palette given to the bound image (see palette_editor_apply);
// false when the image has no palette.
bool palette_apply_to_bound_image(const uint8_t *colors, int count, bool maintain_indexes);
