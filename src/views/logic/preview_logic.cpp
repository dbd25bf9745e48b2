#include "views/logic/preview_logic.h"

#include <algorithm>
#include <cmath>
#include <vector>

float preview_zoom = 1.0f;
int origin_mode = 0;
int alpha_view = 0;
void (*preview_filter_hook)() = nullptr;

float preview_zoom_step_in(float zoom)
{
    const float next = zoom * 2.0f;
    return next > PREVIEW_ZOOM_MAX ? PREVIEW_ZOOM_MAX : next;
}

float preview_zoom_step_out(float zoom)
{
    const float next = zoom * 0.5f;
    return next < PREVIEW_ZOOM_MIN ? PREVIEW_ZOOM_MIN : next;
}

int preview_scaled_size(int side, float zoom)
{
    if (zoom == 1.0f)
        return side;
    const double scaled = static_cast<double>(side) * static_cast<double>(zoom);
    if (!(scaled > 0.0))
        return 0;
    return scaled >= 2147483647.0 ? 2147483647 : static_cast<int>(scaled);
}

namespace {

// One axis of the placement: returns the start and fills the bar's state.
int place_axis(int zoomed, int client, int position, bool *bar, int *max, int *pos)
{
    if (zoomed < client) {
        *bar = false;
        *max = 0;
        *pos = 0;
        return (client - zoomed) / 2;
    }
    *max = zoomed - client;
    *bar = *max > 0;
    *pos = std::clamp(position, 0, *max);
    return -*pos;
}

} // namespace

PreviewPlacement preview_place(int w, int h, float zoom, int cw, int ch, int h_pos, int v_pos)
{
    PreviewPlacement p;
    p.dw = preview_scaled_size(std::max(w, 0), zoom);
    p.dh = preview_scaled_size(std::max(h, 0), zoom);
    p.x0 = place_axis(p.dw, std::max(cw, 0), h_pos, &p.h_bar, &p.h_max, &p.h_pos);
    p.y0 = place_axis(p.dh, std::max(ch, 0), v_pos, &p.v_bar, &p.v_max, &p.v_pos);
    return p;
}

PreviewPoint preview_crosshair(const PreviewPlacement &place, float zoom, int ox, int oy)
{
    const double z = zoom;
    return {static_cast<int>(std::trunc(place.x0 + (ox + 0.5) * z)),
            static_cast<int>(std::trunc(place.y0 + (oy + 0.5) * z))};
}

bool preview_click_to_origin(const PreviewPlacement &place, float zoom, int x, int y, int *ox, int *oy)
{
    // 64-bit sums: x0 + dw can pass the int range for huge zoomed pictures.
    if (x < place.x0 || static_cast<int64_t>(x) >= static_cast<int64_t>(place.x0) + place.dw)
        return false;
    if (y < place.y0 || static_cast<int64_t>(y) >= static_cast<int64_t>(place.y0) + place.dh)
        return false;
    if (!(zoom > 0.0f))
        return false;
    *ox = static_cast<int>(std::trunc(static_cast<double>(x - place.x0) / static_cast<double>(zoom)));
    *oy = static_cast<int>(std::trunc(static_cast<double>(y - place.y0) / static_cast<double>(zoom)));
    return true;
}

PreviewRect preview_visible_part(const PreviewPlacement &place, int cw, int ch)
{
    const int64_t left = std::max<int64_t>(place.x0, 0);
    const int64_t top = std::max<int64_t>(place.y0, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(place.x0) + place.dw, cw);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(place.y0) + place.dh, ch);
    PreviewRect r;
    if (right <= left || bottom <= top)
        return r;
    r.x = static_cast<int>(left);
    r.y = static_cast<int>(top);
    r.w = static_cast<int>(right - left);
    r.h = static_cast<int>(bottom - top);
    return r;
}

void preview_sample_part(const uint32_t *source, int w, int h, int source_stride, const PreviewPlacement &place,
                         const PreviewRect &part, uint32_t *out, int out_stride)
{
    if (!source || !out || part.empty() || w <= 0 || h <= 0 || place.dw <= 0 || place.dh <= 0)
        return;
    // Destination pixel X shows source column (X - x0) * w / dw, as a
    // nearest-neighbour stretch of the whole picture would.
    std::vector<int> columns(static_cast<size_t>(part.w));
    for (int i = 0; i < part.w; ++i) {
        const int64_t dx = static_cast<int64_t>(part.x) + i - place.x0;
        columns[static_cast<size_t>(i)] = static_cast<int>(std::clamp<int64_t>(dx * w / place.dw, 0, w - 1));
    }
    for (int j = 0; j < part.h; ++j) {
        const int64_t dy = static_cast<int64_t>(part.y) + j - place.y0;
        const int sy = static_cast<int>(std::clamp<int64_t>(dy * h / place.dh, 0, h - 1));
        const uint32_t *row = source + static_cast<int64_t>(sy) * source_stride;
        uint32_t *target = out + static_cast<int64_t>(j) * out_stride;
        for (int i = 0; i < part.w; ++i)
            target[i] = row[columns[static_cast<size_t>(i)]];
    }
}
