#include "views/logic/group_browser_logic.h"

#include <algorithm>
#include <cstdint>

namespace {

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool contains_folded(const std::string &name, const std::string &filter)
{
    const auto equal = [](char a, char b) { return fold(a) == fold(b); };
    return std::search(name.begin(), name.end(), filter.begin(), filter.end(), equal) != name.end();
}

} // namespace

std::vector<int> group_browser_rows(const std::vector<std::string> &names, const std::string &filter)
{
    std::vector<int> rows;
    rows.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        if (filter.empty() || contains_folded(names[i], filter))
            rows.push_back(static_cast<int>(i));
    return rows;
}

int group_browser_group_of_row(const std::vector<int> &rows, int row)
{
    if (row < 0 || static_cast<size_t>(row) >= rows.size())
        return -1;
    return rows[static_cast<size_t>(row)];
}

int group_browser_row_of_group(const std::vector<int> &rows, int group)
{
    if (group < 0)
        return -1;
    // Rows hold group indexes in ascending order.
    const auto it = std::lower_bound(rows.begin(), rows.end(), group);
    if (it == rows.end() || *it != group)
        return -1;
    return static_cast<int>(it - rows.begin());
}

int group_browser_entry_row(const std::vector<int> &rows, int current_group)
{
    if (rows.empty())
        return -1;
    const int row = group_browser_row_of_group(rows, current_group);
    return row >= 0 ? row : 0;
}

ThumbnailRect group_browser_thumbnail_rect(int width, int height, int box)
{
    ThumbnailRect r;
    if (width <= 0 || height <= 0 || box <= 0)
        return r;
    // The longer side fills the box; the other follows, rounded to the
    // nearest pixel, in 64-bit so that huge pictures cannot overflow.
    const int64_t w = width, h = height, b = box;
    if (w >= h) {
        r.w = box;
        r.h = static_cast<int>(std::max<int64_t>(1, (h * b + w / 2) / w));
    } else {
        r.h = box;
        r.w = static_cast<int>(std::max<int64_t>(1, (w * b + h / 2) / h));
    }
    r.x = (box - r.w) / 2;
    r.y = (box - r.h) / 2;
    return r;
}
