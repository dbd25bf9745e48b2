// Animated texture sequences found among texture names as the engine links
// them, and the faults it refuses.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "quake/texture_sequences.h"

namespace {

// "base:0,1,-" for a main sequence, "base/alt:..." for an alternate one,
// '-' for a missing frame.
std::string describe(const TextureSequence &s)
{
    std::string text = s.base + (s.alternate ? "/alt:" : ":");
    for (size_t i = 0; i < s.frames.size(); ++i)
        text += (i ? "," : "") + (s.frames[i] < 0 ? std::string("-") : std::to_string(s.frames[i]));
    return text;
}

TEST(TextureSequences, AreGroupedAsTheEngineLinksThem)
{
    struct Case {
        const char *what;
        std::vector<std::string> names;
        std::vector<std::string> sequences;
    };
    const Case cases[] = {
        {"in any order", {"+2lava", "wall", "+0lava", "+1lava"}, {"lava:2,3,0"}},
        {"gap", {"+0lava", "+2lava"}, {"lava:0,-,1"}},
        {"alternate, frame character of either case", {"+alava", "+0lava", "+Blava"}, {"lava/alt:0,2", "lava:1"}},
        {"base names compared with their case", {"+0Lava", "+1lava"}, {"Lava:0", "lava:-,1"}},
        {"a lone +0", {"+0switch"}, {"switch:0"}},
        {"no sequences", {"+", "+kfoo", "lava", ""}, {}},
    };
    for (const Case &c : cases) {
        std::vector<std::string> got;
        for (const TextureSequence &s : find_texture_sequences(c.names))
            got.push_back(describe(s));
        EXPECT_EQ(got, c.sequences) << c.what;
    }
}

TEST(TextureSequences, FaultsNameTheGapTheOddSizeTheRepeatAndTheBadName)
{
    const auto tex = [](const char *name, int w, int h) { return TextureFacts{name, TextureKind::Texture, w, h}; };
    const std::vector<TextureFacts> textures = {
        tex("+0fire", 32, 32), tex("+1fire", 32, 32), tex("+afire", 64, 32), tex("+3fire", 32, 32),
        tex("+Afire", 32, 32), tex("+zap", 16, 16),   tex("+0ok", 16, 16),   tex("+1ok", 16, 16),
        // A picture is no texture: its name forms no sequence.
        {"+1ok", TextureKind::Picture, 8, 8},
    };
    std::vector<std::string> got;
    for (const TextureRuleBreak &b : sequence_rule_breaks(textures))
        got.push_back(std::to_string(b.group) + " " + b.cause);
    EXPECT_EQ(got, (std::vector<std::string>{
                       "5 an animated texture's second character must be a frame number, 0 to 9 or a to j",
                       "0 sequence \"+0fire\" lacks frame \"+2fire\" (its frames must be numbered without gaps)",
                       "4 a second frame 0 of sequence \"+afire\" (the engine keeps only the last)",
                       "2 64x32, but \"+0fire\" of the same animation is 32x32: its frames must be the same size",
                   }));
}

} // namespace
