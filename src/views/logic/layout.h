// Where the parts of the main window go, from its client size and the two
// visibility settings: the toolbar (30 pixels) on top, the preview, a row
// of frame slider and group selector (28 pixels), the status bar
// (20 pixels) at the bottom. The group browser panel, when shown, takes a
// column of 220 pixels at the left of the preview; the frame strip, when
// shown, a row of 96 pixels under the preview, as wide as the preview; the
// palette panel of the paint tools, when shown, a column of 190 pixels at
// the right of the preview.
#pragma once

inline constexpr int LAYOUT_TOOLBAR_HEIGHT = 30;
inline constexpr int LAYOUT_ROW_HEIGHT = 28;
inline constexpr int LAYOUT_STATUS_HEIGHT = 20;
inline constexpr int LAYOUT_SELECTOR_WIDTH = 198;
inline constexpr int LAYOUT_SELECTOR_DROP_HEIGHT = 300;
inline constexpr int LAYOUT_BROWSER_WIDTH = 220;
inline constexpr int LAYOUT_STRIP_HEIGHT = 96;
inline constexpr int LAYOUT_PALETTE_WIDTH = 190;

struct LayoutRect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct MainLayout {
    LayoutRect toolbar;  // meaningful when toolbar_visible
    LayoutRect preview;
    LayoutRect slider;
    LayoutRect selector; // h is the height of the drop-down
    LayoutRect status;   // meaningful when status_visible
    LayoutRect browser;  // meaningful when browser_visible
    LayoutRect strip;    // meaningful when strip_visible
    LayoutRect palette;  // meaningful when palette_visible
    bool toolbar_visible = false;
    bool status_visible = false;
    bool browser_visible = false;
    bool strip_visible = false;
    bool palette_visible = false;
};

// The smallest window the layout was drawn for.
inline constexpr int LAYOUT_MIN_WINDOW_WIDTH = 640;
inline constexpr int LAYOUT_MIN_WINDOW_HEIGHT = 440;

// Where a window opens on a screen whose free area is `available`: two
// thirds of it, centred, never below the smallest window nor beyond the
// screen itself.
LayoutRect initial_window_rect(const LayoutRect &available);

// Sizes never go below 0, however small the window.
MainLayout layout_main_window_rects(int width, int height, bool toolbar, bool statusbar, bool browser = false,
                                    bool strip = false, bool palette = false);
