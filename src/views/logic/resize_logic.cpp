#include "views/logic/resize_logic.h"

#include <cctype>
#include <cmath>

bool resize_whole_group = false;

const ResizeFilter RESIZE_FILTERS[RESIZE_FILTER_COUNT] = {
    {"Pixel Resize", 0},  {"Linear Filtering", 1}, {"Bilinear Filtering", 2}, {"Scale Box", 3},
    {"Scale Bell", 5},    {"Scale Bspline", 6},    {"Scale Lanczos3", 7},     {"Scale Mitchell", 8},
};

namespace {

int bounded(double v, int limit)
{
    if (!(v > 0))
        return 0;
    if (v >= limit)
        return limit;
    return static_cast<int>(std::trunc(v));
}

// pixel x 100 / side, and side x percent / 100.
int percent_of(int pixels, int side) { return side > 0 ? bounded(pixels * 100.0 / side, RESIZE_MAX_PERCENT) : 0; }
int pixels_of(int side, int percent) { return bounded(static_cast<double>(side) * percent / 100.0, RESIZE_MAX_SIDE); }
// other / side x pixels, the ratio first as the dialog computes it.
int ratio_of(int other, int side, int pixels)
{
    return side > 0 ? bounded(static_cast<double>(other) / side * pixels, RESIZE_MAX_SIDE) : 0;
}

} // namespace

ResizeSizes resize_sync_sizes(ResizeSizes s, ResizeTrigger trigger, int v, bool keep_aspect, int w, int h)
{
    switch (trigger) {
    case ResizeTrigger::Opening:
        return ResizeSizes{w, h, 100, 100};
    case ResizeTrigger::PixelWidth:
    case ResizeTrigger::KeepAspect:
        s.pixel_width = bounded(v, RESIZE_MAX_SIDE);
        s.percent_width = percent_of(s.pixel_width, w);
        break;
    case ResizeTrigger::PixelHeight:
        s.pixel_height = bounded(v, RESIZE_MAX_SIDE);
        s.percent_height = percent_of(s.pixel_height, h);
        break;
    case ResizeTrigger::PercentWidth:
        s.percent_width = bounded(v, RESIZE_MAX_PERCENT);
        s.pixel_width = pixels_of(w, s.percent_width);
        break;
    case ResizeTrigger::PercentHeight:
        s.percent_height = bounded(v, RESIZE_MAX_PERCENT);
        s.pixel_height = pixels_of(h, s.percent_height);
        break;
    }
    if (!keep_aspect)
        return s;
    switch (trigger) {
    case ResizeTrigger::PixelHeight:
    case ResizeTrigger::PercentHeight:
        s.pixel_width = ratio_of(w, h, s.pixel_height);
        s.percent_width = s.percent_height;
        break;
    default:
        s.pixel_height = ratio_of(h, w, s.pixel_width);
        s.percent_height = s.percent_width;
        break;
    }
    return s;
}

int resize_field_value(const std::string &text, int limit)
{
    long long v = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        v = v * 10 + (c - '0');
        if (v >= limit)
            return limit;
    }
    return static_cast<int>(v);
}

int resize_filter_count(bool indexed) { return indexed ? 3 : RESIZE_FILTER_COUNT; }

ResizeTarget resize_target(const ResizeChoice &choice, int w, int h)
{
    auto side = [](double v) {
        if (!(v >= 1))
            return 1;
        return v >= RESIZE_MAX_SIDE ? RESIZE_MAX_SIDE : static_cast<int>(std::trunc(v));
    };
    if (choice.whole_group && choice.percent_mode)
        return {side(static_cast<double>(w) * choice.percent_width / 100.0),
                side(static_cast<double>(h) * choice.percent_height / 100.0)};
    return {side(choice.pixel_width), side(choice.pixel_height)};
}
