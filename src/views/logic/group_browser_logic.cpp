#include "views/logic/group_browser_logic.h"

#include <algorithm>
#include <cstdint>

#include "quake/texture_sequences.h"

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

std::vector<BrowserSequence> group_browser_sequences(const std::vector<std::string> &names)
{
    std::vector<BrowserSequence> shown;
    for (const TextureSequence &seq : find_texture_sequences(names)) {
        BrowserSequence b;
        b.members = seq.members();
        if (b.members.size() < 2)
            continue;
        b.label = sequence_member_name(seq.base, seq.alternate, 0);
        b.missing = seq.first_gap();
        shown.push_back(std::move(b));
    }
    return shown;
}

std::vector<BrowserRow> group_browser_entries(const std::vector<std::string> &names,
                                              const std::vector<BrowserSequence> &sequences,
                                              const std::vector<bool> &unfolded, const std::string &filter)
{
    // The sequence each group belongs to, and where each sequence's row goes.
    std::vector<int> owner(names.size(), -1);
    std::vector<int> place(sequences.size(), -1);
    for (size_t s = 0; s < sequences.size(); ++s)
        for (const int g : sequences[s].members)
            if (g >= 0 && static_cast<size_t>(g) < names.size()) {
                owner[static_cast<size_t>(g)] = static_cast<int>(s);
                if (place[s] < 0 || g < place[s])
                    place[s] = g;
            }
    const auto matches = [&](int g) {
        return filter.empty() || contains_folded(names[static_cast<size_t>(g)], filter);
    };
    std::vector<BrowserRow> rows;
    rows.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const int g = static_cast<int>(i);
        const int s = owner[i];
        if (s < 0) {
            if (matches(g))
                rows.push_back({BrowserRowKind::Group, g, -1});
            continue;
        }
        if (place[static_cast<size_t>(s)] != g)
            continue;
        const BrowserSequence &seq = sequences[static_cast<size_t>(s)];
        if (std::none_of(seq.members.begin(), seq.members.end(), matches))
            continue;
        rows.push_back({BrowserRowKind::Sequence, seq.members.front(), s});
        if (static_cast<size_t>(s) < unfolded.size() && unfolded[static_cast<size_t>(s)])
            for (const int m : seq.members)
                rows.push_back({BrowserRowKind::Member, m, s});
    }
    return rows;
}

int group_browser_entry_of_group(const std::vector<BrowserRow> &rows, const std::vector<BrowserSequence> &sequences,
                                 int group)
{
    if (group < 0)
        return -1;
    int folded = -1;
    for (size_t r = 0; r < rows.size(); ++r) {
        const BrowserRow &row = rows[r];
        if (row.kind != BrowserRowKind::Sequence) {
            if (row.group == group)
                return static_cast<int>(r);
            continue;
        }
        const std::vector<int> &members = sequences[static_cast<size_t>(row.sequence)].members;
        if (folded < 0 && std::find(members.begin(), members.end(), group) != members.end())
            folded = static_cast<int>(r);
    }
    // Its sequence's row, unless the sequence is unfolded and the member's
    // own row was found above.
    return folded;
}

std::string group_browser_sequence_text(const BrowserSequence &sequence, bool unfolded, bool sizes_differ)
{
    std::string text = std::string(unfolded ? "\u25BE " : "\u25B8 ") + sequence.label + "  \u25B6 " +
                       std::to_string(sequence.members.size()) + " frames";
    if (sequence.missing >= 0)
        text += ", frame " + std::to_string(sequence.missing) + " missing";
    if (sizes_differ)
        text += ", sizes differ";
    return text;
}
