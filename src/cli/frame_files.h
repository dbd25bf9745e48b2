// Names of the files that `export` writes and `pack` reads, and the order
// in which `pack` takes a folder of images.
#pragma once

#include <string>

inline constexpr const char *MANIFEST_NAME = "vorn.json";
// The manifest's "format" member, so that later versions can tell.
inline constexpr const char *MANIFEST_FORMAT = "vorn-frames";
inline constexpr int MANIFEST_VERSION = 1;

// "GGG_NAME_FFF.EXT": the group's index, its name made safe on every file
// system (letters, digits, '-' and '_' kept, everything else '_', at most
// 48 bytes), and the frame's index; the numbers have as many digits as the
// largest index needs, at least three. The index prefix keeps names apart
// that differ only in case or in the characters replaced.
std::string frame_file_name(int group, int group_count, const char *group_name, int frame, int frame_count,
                            const std::string &extension);

// Natural order: runs of digits compare by their value ("frame2" before
// "frame10"), everything else byte by byte; equal values with different
// spellings ("01", "1") fall back to plain comparison.
bool natural_less(const std::string &a, const std::string &b);
