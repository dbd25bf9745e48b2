#include "views/logic/layout.h"

#include <algorithm>

MainLayout layout_main_window_rects(int width, int height, bool toolbar, bool statusbar, bool browser, bool strip,
                                    bool palette)
{
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    MainLayout l;
    l.toolbar_visible = toolbar;
    l.status_visible = statusbar;
    l.browser_visible = browser;
    l.strip_visible = strip;
    l.palette_visible = palette;

    const int top = toolbar ? LAYOUT_TOOLBAR_HEIGHT : 0;
    int preview_height = h - LAYOUT_ROW_HEIGHT - 2 - top;
    int row_y = h - LAYOUT_ROW_HEIGHT;
    if (statusbar) {
        preview_height -= LAYOUT_STATUS_HEIGHT;
        row_y -= LAYOUT_STATUS_HEIGHT;
    }
    l.toolbar = {0, 0, w, LAYOUT_TOOLBAR_HEIGHT};
    l.preview = {0, top, w, std::max(preview_height, 0)};
    if (browser) {
        // The panel shares the preview's rows; a window narrower than the
        // panel leaves the preview no width at all.
        const int panel = std::min(LAYOUT_BROWSER_WIDTH, w);
        l.browser = {0, top, panel, l.preview.h};
        l.preview.x = panel;
        l.preview.w = w - panel;
    }
    if (palette) {
        // At the right, sharing the preview's rows as the browser does.
        const int panel = std::min(LAYOUT_PALETTE_WIDTH, l.preview.w);
        l.preview.w -= panel;
        l.palette = {l.preview.x + l.preview.w, top, panel, l.preview.h};
    }
    if (strip) {
        // Under the preview, beside the browser; a window too low for the
        // strip gives it what there is and the preview nothing.
        const int strip_height = std::min(LAYOUT_STRIP_HEIGHT, l.preview.h);
        l.preview.h -= strip_height;
        l.strip = {l.preview.x, l.preview.y + l.preview.h, l.preview.w, strip_height};
    }
    l.slider = {0, row_y, std::max(w - LAYOUT_SELECTOR_WIDTH, 0), LAYOUT_ROW_HEIGHT};
    l.selector = {std::max(w - LAYOUT_SELECTOR_WIDTH, 0), row_y, LAYOUT_SELECTOR_WIDTH, LAYOUT_SELECTOR_DROP_HEIGHT};
    // The status bar takes the bottom 20 pixels, under the slider row.
    l.status = {0, h - LAYOUT_STATUS_HEIGHT, w, LAYOUT_STATUS_HEIGHT};
    return l;
}

LayoutRect initial_window_rect(const LayoutRect &available)
{
    const int width = std::min(std::max(available.w * 2 / 3, LAYOUT_MIN_WINDOW_WIDTH), available.w);
    const int height = std::min(std::max(available.h * 2 / 3, LAYOUT_MIN_WINDOW_HEIGHT), available.h);
    return {available.x + (available.w - width) / 2, available.y + (available.h - height) / 2, width, height};
}
