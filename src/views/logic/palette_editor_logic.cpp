#include "views/logic/palette_editor_logic.h"

#include <cstring>
#include <utility>
#include <vector>

#include <IL/il.h>

#include "views/logic/editor_host.h"
#include "archive/archive.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "formats/format_table.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "quake/colormap.h"
#include "image/quake_palette.h"
#include "views/logic/preview_logic.h"

bool palette_change_alpha = false;

namespace {

// The names last chosen in the Load, Save and colormap dialogs, for the run.
std::string &load_name()
{
    static std::string name;
    return name;
}

std::string &save_name()
{
    static std::string name;
    return name;
}

std::string &colormap_name()
{
    static std::string name;
    return name;
}

// The file the last Generate Colormap wrote, until it is taken.
std::string &written_colormap()
{
    static std::string name;
    return name;
}

// The bound image's palette, or null when it has none to edit.
const uint8_t *bound_palette()
{
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || ilGetInteger(IL_PALETTE_TYPE) == IL_PAL_NONE)
        return nullptr;
    if (ilGetInteger(IL_PALETTE_NUM_COLS) <= 0)
        return nullptr;
    return ilGetPalette();
}

} // namespace

void palette_grid_read_bound_image(PaletteGridState &grid)
{
    const uint8_t *palette = bound_palette();
    if (!palette) {
        show_warning(PALETTE_NOT_PALETTED_MESSAGE);
        grid.count = 0;
        grid.selected = 0;
        return;
    }
    int count = ilGetInteger(IL_PALETTE_NUM_COLS);
    if (count > PALETTE_MAX_ENTRIES) {
        show_warning(PALETTE_TOO_MANY_COLORS_MESSAGE);
        count = PALETTE_MAX_ENTRIES;
    }
    const ILint type = ilGetInteger(IL_PALETTE_TYPE);
    const int bpp = ilGetInteger(IL_PALETTE_BPP);
    const bool swapped = type == IL_PAL_BGR24 || type == IL_PAL_BGR32 || type == IL_PAL_BGRA32;
    const bool four = bpp == 4;
    for (int k = 0; k < count; ++k) {
        const uint8_t *in = palette + static_cast<size_t>(k) * (four ? 4 : 3);
        uint8_t *out = grid.colors + k * 4;
        out[0] = swapped ? in[2] : in[0];
        out[1] = in[1];
        out[2] = swapped ? in[0] : in[2];
        // Three-byte entries have no alpha: it shows as 0.
        out[3] = four ? in[3] : 0;
    }
    grid.count = count;
}

void palette_editor_open(PaletteGridState &grid)
{
    grid = PaletteGridState{};
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return; // the labels keep their template texts
    anim_bind_frame(&doc.animation, doc.current_group, doc.current_frame);
    palette_grid_read_bound_image(grid);
    grid.labels_shown = true;
}

bool palette_editor_edit_entry(PaletteGridState &grid, int index, int32_t *custom_colors)
{
    if (!palette_grid_select(grid, index))
        return false;
    // Only the working palette changes here: the document, and with it the
    // undo history and the modified mark, waits for OK.
    uint8_t *entry = grid.colors + index * 4;
    if (palette_change_alpha) {
        preview_filter_hook = nullptr;
        const int value = editor_host().show_adjust_dialog("Alpha", 0, 255, 1, entry[3]);
        entry[3] = static_cast<uint8_t>(value & 0xFF);
    } else {
        uint32_t color = palette_entry_colorref(grid, index);
        if (editor_host().choose_color(color, custom_colors))
            palette_entry_set_colorref(grid, index, color);
    }
    return true;
}

bool palette_editor_load(PaletteGridState &grid)
{
    const std::string path = editor_host().open_file_dialog_named(build_file_filter(FILE_OP_LOAD_PALETTE), "", load_name());
    if (path.empty())
        return false;
    load_name() = path;
    uint8_t colors[PALETTE_MAX_ENTRIES * 4];
    std::memcpy(colors, grid.colors, sizeof colors);
    const int n = palette_file_load(path.c_str(), colors);
    if (n <= 0)
        return false; // reported by the dispatch
    std::memcpy(grid.colors, colors, sizeof colors);
    grid.count = n > PALETTE_MAX_ENTRIES ? PALETTE_MAX_ENTRIES : n;
    return true;
}

void palette_editor_save(const PaletteGridState &grid)
{
    const std::string path = editor_host().save_file_dialog_named(build_file_filter(FILE_OP_SAVE_PALETTE), "", save_name());
    if (path.empty())
        return;
    save_name() = path;
    palette_file_save(path.c_str(), grid.colors, grid.count);
}

bool colormap_dialog_accept(const std::string &fullbrights_text, const std::string &range_text,
                            int32_t &fullbrights, float &range)
{
    const int32_t count = colormap_parse_fullbrights(fullbrights_text);
    if (!colormap_fullbrights_valid(count)) {
        show_warning(COLORMAP_FULLBRIGHTS_MESSAGE);
        return false;
    }
    fullbrights = count;
    range = colormap_parse_range(range_text);
    return true;
}

bool palette_editor_generate_colormap(const uint8_t *colors)
{
    int32_t fullbrights = fullbright_count();
    float range = COLORMAP_DEFAULT_RANGE;
    if (!editor_host().ask_colormap_parameters(fullbrights, range) || fullbrights < 0)
        return false;
    std::string filter = COLORMAP_FILE_LABEL;
    filter.append(1, '\0');
    filter += "*";
    filter.append(2, '\0');
    const std::string path = editor_host().save_file_dialog_named(filter, "", colormap_name());
    if (path.empty())
        return false;
    colormap_name() = path;

    const std::vector<uint8_t> table = generate_colormap(colors, fullbrights, range);
    std::string error;
    if (!write_file_or_entry(path, table, error)) {
        show_warning(error);
        return false;
    }
    written_colormap() = path;
    // The fullbright range the views mark follows the colormap made last.
    set_fullbright_count(fullbrights);
    platform().set_status_text(colormap_written_text(path));
    return true;
}

std::string colormap_written_text(const std::string &path) { return "Colormap written to " + path; }

std::string palette_editor_take_written_colormap() { return std::exchange(written_colormap(), std::string()); }

bool palette_apply_to_bound_image(const uint8_t *colors, int count, bool maintain_indexes)
{
    if (!bound_palette())
        return false;
    const PaletteTypeCode type = host().palette_type();
    if (!maintain_indexes)
        remap_to_palette(colors, count);
    else
        host().set_palette(colors, count);
    host().convert_palette(type);
    return true;
}

void palette_editor_apply(const PaletteGridState &grid, bool maintain_indexes, bool all_frames)
{
    DocumentState &doc = doc_state();
    // No frame can be given a palette without entries.
    if (grid.count <= 0 || doc.animation.group_count <= 0)
        return;
    doc_begin_edit(1);
    Animation &anim = doc.animation;
    if (!all_frames) {
        if (!doc_has_frame(doc))
            return;
        anim_bind_frame(&anim, doc.current_group, doc.current_frame);
        palette_apply_to_bound_image(grid.colors, grid.count, maintain_indexes);
        return;
    }
    for (int g = 0; g < anim.group_count; ++g)
        for (int f = 0; f < anim.groups[g].frame_count; ++f) {
            anim_bind_frame(&anim, g, f);
            palette_apply_to_bound_image(grid.colors, grid.count, maintain_indexes);
        }
}
