// The sizes the Quake engines need of an image, and the question the user
// is asked before a file is saved with an image that lacks them (GLQuake
// uploads pictures and sprite frames as textures whose width must be a
// multiple of 4; a mip texture's sides must be multiples of 16).
#pragma once

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
