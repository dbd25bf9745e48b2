#include "app/logic/title.h"

#include "platform/platform.h"

std::string title_text(const char *file_name, bool modified, float zoom)
{
    // Single-precision product, so that 0.02 shows as 2 and not 1.
    const float percent = zoom * 100.0f;
    const int shown = percent > 0.0f && percent < 1e9f ? static_cast<int>(percent) : 0;
    return format_text(modified ? "Vorn - %s* [%i%%]" : "Vorn - %s [%i%%]", file_name ? file_name : "", shown);
}
