#include "views/logic/adjust_logic.h"

#include <cmath>
#include <cstdlib>

#include "document/animation.h"
#include "document/document_state.h"
#include "platform/platform.h"
#include "views/logic/preview_logic.h"

namespace {

int clamp_value(const AdjustState &state, long long v)
{
    if (v < state.minimum)
        return state.minimum;
    if (v > state.maximum)
        return state.maximum;
    return static_cast<int>(v);
}

} // namespace

AdjustState &adjust_state()
{
    static AdjustState state;
    return state;
}

void adjust_open(const std::string &title, int minimum, int maximum, int scale, int initial)
{
    AdjustState &s = adjust_state();
    s.title = title;
    s.minimum = minimum;
    s.maximum = maximum;
    s.scale = scale;
    s.value = initial;
    s.initial = initial;
}

std::string adjust_value_text(const AdjustState &state, int value)
{
    if (state.scale == 1 || state.scale == 0)
        return format_text("%i", value);
    return format_text("%.2f", static_cast<double>(value) / state.scale);
}

int adjust_value_of_text(const AdjustState &state, const std::string &text)
{
    // The edit holds at most 260 bytes.
    const std::string held = text.substr(0, 260);
    if (state.scale == 1 || state.scale == 0)
        return clamp_value(state, std::strtoll(held.c_str(), nullptr, 10));
    const double number = std::strtod(held.c_str(), nullptr);
    const double scaled = std::trunc(number * state.scale);
    if (std::isnan(scaled))
        return clamp_value(state, 0);
    if (scaled < state.minimum)
        return state.minimum;
    if (scaled > state.maximum)
        return state.maximum;
    return static_cast<int>(scaled);
}

float adjust_number(const AdjustState &state)
{
    if (state.scale == 1 || state.scale == 0)
        return static_cast<float>(state.value);
    return static_cast<float>(state.value) / static_cast<float>(state.scale);
}

std::string adjust_sync_from_text(const std::string &text)
{
    AdjustState &s = adjust_state();
    s.value = adjust_value_of_text(s, text);
    return adjust_value_text(s, s.value);
}

std::string adjust_sync_from_slider(int position)
{
    AdjustState &s = adjust_state();
    s.value = clamp_value(s, position);
    return adjust_value_text(s, s.value);
}

int adjust_finish_ok(const std::function<void()> &refresh_preview)
{
    doc_begin_edit(1);
    DocumentState &doc = doc_state();
    if (preview_filter_hook && doc_has_frame(doc)) {
        anim_bind_frame(&doc.animation, doc.current_group, doc.current_frame);
        preview_filter_hook();
    }
    preview_filter_hook = nullptr;
    if (refresh_preview)
        refresh_preview();
    return adjust_state().value;
}

int adjust_finish_cancel(const std::function<void()> &refresh_preview)
{
    AdjustState &s = adjust_state();
    s.value = s.initial;
    preview_filter_hook = nullptr;
    if (refresh_preview)
        refresh_preview();
    return s.value;
}
