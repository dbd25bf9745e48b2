// The Adjust dialog without its widgets: the one AdjustState of the
// program, the value's text, the reading of the text and the slider
// (sync_adjust_value), and what OK and Cancel do to the document.
#pragma once

#include <functional>
#include <string>

struct AdjustState {
    std::string title;
    int minimum = 0;
    int maximum = 0;
    int scale = 1;   // a value v stands for v / scale when scale is not 1
    int value = 0;   // the current value
    int initial = 0; // the value the dialog opened with
};

// The program's one Adjust state; the filters' apply functions read it.
AdjustState &adjust_state();

// Opens the state on a new title and range: the initial value becomes the
// current one.
void adjust_open(const std::string &title, int minimum, int maximum, int scale, int initial);

// The text of a value: "%i" with scale 1, value / scale as "%.2f" otherwise.
std::string adjust_value_text(const AdjustState &state, int value);
// The value of a text: with scale 1 the text read as an integer, otherwise
// as a decimal number times the scale, truncated toward zero; text that is
// not a number reads as 0; then clamped to minimum .. maximum.
int adjust_value_of_text(const AdjustState &state, const std::string &text);
// The value as a single-precision number: value / scale.
float adjust_number(const AdjustState &state);

// sync_adjust_value from the text (edit 1052) or from the slider position:
// sets the current value and returns the text to write back.
std::string adjust_sync_from_text(const std::string &text);
std::string adjust_sync_from_slider(int position);

// The dialog's end. OK: one undo step, the preview filter applied to the
// current frame (when there is a filter and a frame), the filter removed,
// the preview refreshed. Cancel and the close box: the value goes back to
// the initial one, the filter is removed, the preview refreshed. Both
// return the value the dialog gives back. `refresh_preview` redraws the
// window's preview (may be empty).
int adjust_finish_ok(const std::function<void()> &refresh_preview);
int adjust_finish_cancel(const std::function<void()> &refresh_preview);
