#include "quake/texture_sequences.h"

#include <map>
#include <utility>

#include "platform/platform.h"

SequenceName parse_sequence_name(const std::string &name)
{
    SequenceName s;
    if (name.empty() || name[0] != '+')
        return s;
    s.animated = true;
    if (name.size() < 2)
        return s;
    char c = name[1];
    if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    if (c >= '0' && c <= '9') {
        s.number = c - '0';
    } else if (c >= 'a' && c <= 'j') {
        s.number = c - 'a';
        s.alternate = true;
    } else {
        return s;
    }
    s.valid = true;
    s.base = name.substr(2);
    return s;
}

std::string sequence_member_name(const std::string &base, bool alternate, int number)
{
    const char c = static_cast<char>(alternate ? 'a' + number : '0' + number);
    return std::string("+") + c + base;
}

std::vector<int> TextureSequence::members() const
{
    std::vector<int> present;
    for (const int g : frames)
        if (g >= 0)
            present.push_back(g);
    return present;
}

int TextureSequence::first_gap() const
{
    for (size_t i = 0; i < frames.size(); ++i)
        if (frames[i] < 0)
            return static_cast<int>(i);
    return -1;
}

std::vector<TextureSequence> find_texture_sequences(const std::vector<std::string> &names)
{
    std::vector<TextureSequence> found;
    // (base, alternate) -> index in `found`; sequences are numbered in the
    // order their first member appears.
    std::map<std::pair<std::string, bool>, size_t> index;
    for (size_t g = 0; g < names.size(); ++g) {
        const SequenceName s = parse_sequence_name(names[g]);
        if (!s.valid)
            continue;
        const auto [it, added] = index.try_emplace({s.base, s.alternate}, found.size());
        if (added) {
            found.emplace_back();
            found.back().base = s.base;
            found.back().alternate = s.alternate;
        }
        TextureSequence &seq = found[it->second];
        if (seq.frames.size() <= static_cast<size_t>(s.number))
            seq.frames.resize(static_cast<size_t>(s.number) + 1, -1);
        int &slot = seq.frames[static_cast<size_t>(s.number)];
        if (slot >= 0)
            seq.repeated.push_back(static_cast<int>(g));
        else
            slot = static_cast<int>(g);
    }
    return found;
}

namespace {

std::string size_text(const TextureFacts &t) { return format_text("%ix%i", t.width, t.height); }

} // namespace

std::vector<TextureRuleBreak> sequence_rule_breaks(const std::vector<TextureFacts> &textures)
{
    std::vector<std::string> names(textures.size());
    std::vector<TextureRuleBreak> breaks;
    for (size_t g = 0; g < textures.size(); ++g) {
        if (textures[g].kind != TextureKind::Texture)
            continue;
        names[g] = textures[g].name;
        const SequenceName s = parse_sequence_name(names[g]);
        if (s.animated && !s.valid)
            breaks.push_back({static_cast<int>(g), "an animated texture's second character must be a frame number, "
                                                   "0 to 9 or a to j"});
    }
    const std::vector<TextureSequence> sequences = find_texture_sequences(names);
    // The size every frame of a base name, main or alternate, should share.
    std::map<std::string, int> first_of_base;
    for (const TextureSequence &seq : sequences) {
        const std::vector<int> members = seq.members();
        const std::string label = sequence_member_name(seq.base, seq.alternate, 0);
        const int gap = seq.first_gap();
        if (gap >= 0)
            breaks.push_back({members.front(), format_text("sequence \"%s\" lacks frame \"%s\" (its frames must be "
                                                           "numbered without gaps)",
                                                           label.c_str(),
                                                           sequence_member_name(seq.base, seq.alternate, gap).c_str())});
        for (const int g : seq.repeated)
            breaks.push_back({g, format_text("a second frame %i of sequence \"%s\" (the engine keeps only the last)",
                                             parse_sequence_name(names[static_cast<size_t>(g)]).number,
                                             label.c_str())});
        const int first = first_of_base.try_emplace(seq.base, members.front()).first->second;
        const TextureFacts &model = textures[static_cast<size_t>(first)];
        for (const int g : members) {
            const TextureFacts &t = textures[static_cast<size_t>(g)];
            if (t.width != model.width || t.height != model.height)
                breaks.push_back({g, format_text("%s, but \"%s\" of the same animation is %s: its frames must be "
                                                 "the same size",
                                                 size_text(t).c_str(), model.name.c_str(), size_text(model).c_str())});
        }
    }
    return breaks;
}
