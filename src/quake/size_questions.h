// The sizes the Quake engines need of an image, and the question the user
// is asked before a file is saved with an image that lacks them (GLQuake
// uploads pictures and sprite frames as textures whose width must be a
// multiple of 4; a mip texture's sides must be multiples of 16). An archive
// of many textures is checked whole, with the engine's other texture rules
// (skies, animated sequences), and asks one question that lists them all.
#pragma once

#include <string>
#include <vector>

#include "plugins/vorn_plugin.h"
#include "quake/texture_sequences.h"

struct SizeQuestion {
    int width_multiple;
    int height_multiple;
    const char *question; // asked as it stands: the answers depend on its words
};

inline constexpr SizeQuestion LMP_SIZE_QUESTION = {
    4, 1, "Do you really want to save a lmp that will crash GLQuake? (width must be a multiple of 4)?"};
inline constexpr SizeQuestion MIP_SIZE_QUESTION = {
    16, 16,
    "Do you really want to save a miptex that will crash Quake (should be at least 16x16 and a multiple of 16)?"};
inline constexpr SizeQuestion SPRITE_SIZE_QUESTION = {
    4, 1, "Do you really want to save a sprite that will crash GLQuake? (width must be a multiple of 4)"};
inline constexpr SizeQuestion WAD_SIZE_QUESTION = {
    4, 1, "Do you really want to save a wad that will crash GLQuake? (width must be a multiple of 4)"};

// True when an image of width x height has the sizes `rule` needs.
bool size_suits(const SizeQuestion &rule, int width, int height);

// True when the image suits `rule` or the user answers Yes to its question;
// false, the save refused (save_refused), when the user answers No.
bool size_question_allows(const SizeQuestion &rule, int width, int height);

// --- The rules of a whole archive, asked about once ---------------------------

// Every rule broken among `textures`, one entry per texture in document
// order (several causes of one texture joined), then the sequences' faults.
// Textures need sides that are multiples of 16 and, for a sky (a name
// starting with "sky", as the engine compares it), the 256x128 the engine
// cuts in two halves; pictures only the width GLQuake uploads.
std::vector<TextureRuleBreak> texture_rule_breaks(const std::vector<TextureFacts> &textures);

// The facts of every group of `anim`: Quake mip textures ("Entry Type" 2)
// are textures, the other kinds pictures, kept lumps neither.
std::vector<TextureFacts> animation_texture_facts(Animation *anim);

// The single question the save asks when textures break rules: the file,
// one line each (at most `shown`, then how many more), and whether to save
// anyway.
std::string texture_rule_question(const std::string &path, const std::vector<TextureRuleBreak> &breaks,
                                  const std::vector<TextureFacts> &textures, size_t shown = 12);
