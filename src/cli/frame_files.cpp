#include "cli/frame_files.h"

#include <cstdio>

namespace {

std::string padded(int value, int largest)
{
    int digits = 3;
    for (int n = largest; n >= 1000; n /= 10)
        ++digits;
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", digits, value);
    return text;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string frame_file_name(int group, int group_count, const char *group_name, int frame, int frame_count,
                            const std::string &extension)
{
    std::string safe;
    for (const char *p = group_name ? group_name : ""; *p && safe.size() < 48; ++p) {
        const char c = *p;
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(c) || c == '-' || c == '_';
        safe.push_back(keep ? c : '_');
    }
    // Replaced brackets and spaces at the ends ("[no group]") say nothing.
    while (!safe.empty() && safe.back() == '_')
        safe.pop_back();
    const size_t first = safe.find_first_not_of('_');
    safe = first == std::string::npos ? "_" : safe.substr(first);
    return padded(group, group_count - 1) + "_" + safe + "_" + padded(frame, frame_count - 1) + "." + extension;
}

bool natural_less(const std::string &a, const std::string &b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            size_t i_end = i, j_end = j;
            while (i_end < a.size() && is_digit(a[i_end]))
                ++i_end;
            while (j_end < b.size() && is_digit(b[j_end]))
                ++j_end;
            // Compare the values without leading zeros: by length, then digits.
            size_t i_start = i, j_start = j;
            while (i_start + 1 < i_end && a[i_start] == '0')
                ++i_start;
            while (j_start + 1 < j_end && b[j_start] == '0')
                ++j_start;
            const size_t i_len = i_end - i_start, j_len = j_end - j_start;
            if (i_len != j_len)
                return i_len < j_len;
            const int order = a.compare(i_start, i_len, b, j_start, j_len);
            if (order != 0)
                return order < 0;
            i = i_end;
            j = j_end;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i >= a.size();
    return a < b;
}
