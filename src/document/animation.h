// The animation document: groups of frames, each frame one image of the
// image library plus a property list. Plain records, free functions; every
// copy is deep, every array and string is owned through malloc/free.
#pragma once

#include <cstdint>

#include "document/props.h"
#include "plugins/vorn_plugin.h"

inline constexpr const char *NO_GROUP_NAME = "[no group]";

void anim_init(Animation *anim);
void anim_destroy(Animation *anim);
Group *anim_add_group(Animation *anim, const char *name);
void group_reset_frames(Group *group, int n);
int group_append_frame(Group *group);

void group_delete_frame(Group *group, int index);
// Removes a group; when selection pointers are given, repairs them so that
// they still point at a group and frame that exist (or 0).
void anim_delete_group(Animation *anim, int index, int *current_group = nullptr, int *current_frame = nullptr);
int anim_swap_groups(Animation *anim, int a, int b);

void anim_bind_frame(const Animation *anim, int group_index, int frame_index);

void group_append_frames(Group *destination, const Group *source);
void anim_append_group_copy(const Animation *src, int index, Animation *dst);
void anim_copy(const Animation *src, Animation *dst);

// Replaces the group's frames by a chain of levels+1 frames, each half the
// size of the one before (box filter). Frame 0 becomes RGBA.
void group_build_mips(Group *group, int levels);

// Copies the luminance of `source` (scaled to the target's size) into the
// alpha channel of `target`. The source image is left scaled and converted.
void frame_set_alpha_from(uint32_t target, uint32_t source);
// The alpha plane of the bound image (w*h bytes, caller frees with free()).
uint8_t *image_alpha_plane();
