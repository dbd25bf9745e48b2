// Animated textures as the Quake engine links them when it loads a map, and
// the other rules the engine holds its textures to.
//
// A texture named "+<n><base>" is frame n of the animation <base>: '0'..'9'
// number the main sequence, 'a'..'j' its alternate (shown on entities whose
// frame is non-zero, such as pressed buttons). The engine folds the frame
// character's case but compares the base names byte for byte, so "+0Lava"
// and "+1lava" belong to two different animations. It stops with an error
// on a sequence whose numbering has a gap ("Missing frame") and on a '+'
// texture whose frame character is neither ("Bad animating texture"); GL
// engines map every frame with the first frame's size, so members of
// different sizes are drawn stretched.
#pragma once

#include <string>
#include <vector>

// The engine's texture animation clock: a tenth of a second, and a frame
// stays on for two of them (ANIM_CYCLE), so sequences play at five frames
// per second.
inline constexpr int TEXTURE_SEQUENCE_INTERVAL_MS = 200;
inline constexpr int TEXTURE_SEQUENCE_MAX_FRAMES = 10;

// "+<c><base>": what a texture's name says of its place in a sequence.
struct SequenceName {
    bool animated = false;  // starts with '+'
    bool valid = false;     // and its frame character is one of 0-9, a-j, A-J
    bool alternate = false; // a-j
    int number = 0;         // 0..9
    std::string base;       // the name after the frame character
};
SequenceName parse_sequence_name(const std::string &name);

// The name of frame `number` of `base` in the main or alternate sequence.
std::string sequence_member_name(const std::string &base, bool alternate, int number);

// One sequence: the main or alternate frames of one base name.
struct TextureSequence {
    std::string base;
    bool alternate = false;
    // Group index by frame number, up to the highest number present; -1
    // where a frame is missing.
    std::vector<int> frames;
    // Groups that repeat a frame number already taken (the engine keeps
    // the last of them).
    std::vector<int> repeated;

    // The groups that are present, in frame order.
    std::vector<int> members() const;
    // The lowest missing frame number, -1 when the numbering has no gap.
    int first_gap() const;
};

// The sequences among `names` (index = group index), in the document order
// of their first member. An empty name stands for a group that is no
// texture. Every valid "+" name belongs to exactly one sequence, also a
// lone "+0name" (a sequence of one frame).
std::vector<TextureSequence> find_texture_sequences(const std::vector<std::string> &names);

// What the rule check needs of one group.
enum class TextureKind { Texture, Picture, Other };
struct TextureFacts {
    std::string name;
    TextureKind kind = TextureKind::Other;
    int width = 0, height = 0; // of the first frame; 0 for a group without frames
};

// One texture (or sequence) that breaks a rule: the group it is listed
// under and why.
struct TextureRuleBreak {
    int group = -1;
    std::string cause;
};

// The faults of the sequences alone (gaps, bad frame characters, repeated
// numbers, mixed sizes), one entry each, in the order of the sequences;
// the save's rule check (quake/size_questions) lists them with the others.
std::vector<TextureRuleBreak> sequence_rule_breaks(const std::vector<TextureFacts> &textures);
