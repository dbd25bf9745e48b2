#include "document/animation.h"

#include <cstdlib>
#include <cstring>

#include <IL/il.h>
#include <IL/ilu.h>

#include "image/host_table.h"

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(Animation) == 16 && sizeof(Group) == 20 && sizeof(Frame) == 12);
#endif

namespace {

void *grow(void *array, size_t element, int count)
{
    void *grown = std::realloc(array, element * static_cast<size_t>(count));
    if (!grown && count > 0)
        std::abort();
    return grown;
}

char *duplicate(const char *text)
{
    const size_t n = std::strlen(text ? text : "") + 1;
    char *copy = static_cast<char *>(std::malloc(n));
    if (!copy)
        std::abort();
    std::memcpy(copy, text ? text : "", n);
    return copy;
}

void release_frame(Frame *frame)
{
    if (frame->image)
        host().delete_image(frame->image);
    frame->image = 0;
    props_clear(&frame->props);
}

void release_group(Group *group)
{
    std::free(group->name);
    group->name = nullptr;
    for (int j = 0; j < group->frame_count; ++j)
        release_frame(&group->frames[j]);
    std::free(group->frames);
    group->frames = nullptr;
    group->frame_count = 0;
    props_clear(&group->props);
}

void init_frame(Frame *frame)
{
    std::memset(frame, 0, sizeof *frame);
    frame->image = host().gen_image();
}

} // namespace

void anim_init(Animation *anim)
{
    anim->groups = nullptr;
    anim->group_count = 0;
    anim->props.records = nullptr;
    anim->props.count = 0;
}

void anim_destroy(Animation *anim)
{
    for (int i = 0; i < anim->group_count; ++i)
        release_group(&anim->groups[i]);
    std::free(anim->groups);
    anim->groups = nullptr;
    anim->group_count = 0;
    props_clear(&anim->props);
}

Group *anim_add_group(Animation *anim, const char *name)
{
    anim->groups = static_cast<Group *>(grow(anim->groups, sizeof(Group), anim->group_count + 1));
    Group *group = &anim->groups[anim->group_count++];
    std::memset(group, 0, sizeof *group);
    group->name = duplicate(name);
    return group;
}

void group_reset_frames(Group *group, int n)
{
    for (int j = 0; j < group->frame_count; ++j)
        release_frame(&group->frames[j]);
    std::free(group->frames);
    group->frames = nullptr;
    group->frame_count = 0;
    if (n <= 0)
        return;
    group->frames = static_cast<Frame *>(grow(nullptr, sizeof(Frame), n));
    for (int j = 0; j < n; ++j)
        init_frame(&group->frames[j]);
    group->frame_count = n;
}

int group_append_frame(Group *group)
{
    const int index = group->frame_count;
    group->frames = static_cast<Frame *>(grow(group->frames, sizeof(Frame), index + 1));
    init_frame(&group->frames[index]);
    group->frame_count = index + 1;
    return index;
}

void group_delete_frame(Group *group, int index)
{
    if (index < 0 || index >= group->frame_count)
        return;
    release_frame(&group->frames[index]);
    std::memmove(&group->frames[index], &group->frames[index + 1],
                 sizeof(Frame) * (group->frame_count - index - 1));
    --group->frame_count;
    if (group->frame_count == 0) {
        std::free(group->frames);
        group->frames = nullptr;
    } else {
        std::memset(&group->frames[group->frame_count], 0, sizeof(Frame));
    }
}

void anim_delete_group(Animation *anim, int index, int *current_group, int *current_frame)
{
    if (index < 0 || index >= anim->group_count)
        return;
    release_group(&anim->groups[index]);
    std::memmove(&anim->groups[index], &anim->groups[index + 1],
                 sizeof(Group) * (anim->group_count - index - 1));
    --anim->group_count;
    if (anim->group_count == 0) {
        std::free(anim->groups);
        anim->groups = nullptr;
    } else {
        std::memset(&anim->groups[anim->group_count], 0, sizeof(Group));
    }
    if (current_group && *current_group >= anim->group_count)
        *current_group = 0;
    if (current_frame) {
        const int frames = (current_group && *current_group < anim->group_count)
                               ? anim->groups[*current_group].frame_count
                               : 0;
        if (*current_frame >= frames)
            *current_frame = 0;
    }
}

int anim_swap_groups(Animation *anim, int a, int b)
{
    if (a < 0 || b < 0 || a >= anim->group_count || b >= anim->group_count)
        return b;
    Group held = anim->groups[a];
    anim->groups[a] = anim->groups[b];
    anim->groups[b] = held;
    return b;
}

void anim_bind_frame(const Animation *anim, int group_index, int frame_index)
{
    host().bind_image(anim->groups[group_index].frames[frame_index].image);
}

void group_append_frames(Group *destination, const Group *source)
{
    if (!destination || !source)
        return;
    // `source` may be `destination`: take the count first and index afresh.
    const int count = source->frame_count;
    for (int j = 0; j < count; ++j) {
        const int k = group_append_frame(destination);
        host().bind_image(destination->frames[k].image);
        host().copy_image(source->frames[j].image);
        props_copy(&source->frames[j].props, &destination->frames[k].props);
    }
}

void anim_append_group_copy(const Animation *src, int index, Animation *dst)
{
    // src and dst may be the same animation; every step below re-reads the
    // group arrays because adding a group may move them.
    const int k = dst->group_count;
    char *name = duplicate(src->groups[index].name);
    anim_add_group(dst, name);
    std::free(name);
    group_reset_frames(&dst->groups[k], src->groups[index].frame_count);
    props_copy(&src->groups[index].props, &dst->groups[k].props);
    for (int j = 0; j < src->groups[index].frame_count; ++j) {
        host().bind_image(dst->groups[k].frames[j].image);
        host().copy_image(src->groups[index].frames[j].image);
        props_copy(&src->groups[index].frames[j].props, &dst->groups[k].frames[j].props);
    }
}

void anim_copy(const Animation *src, Animation *dst)
{
    anim_init(dst);
    props_copy(&src->props, &dst->props);
    for (int i = 0; i < src->group_count; ++i)
        anim_append_group_copy(src, i, dst);
}

void group_build_mips(Group *group, int levels)
{
    if (group->frame_count < 1)
        return;
    while (group->frame_count > 1)
        group_delete_frame(group, 1);
    host().bind_image(group->frames[0].image);
    host().convert_image(IMAGE_RGBA);
    const int w = host().width();
    const int h = host().height();
    iluImageParameter(ILU_FILTER, ILU_SCALE_BOX);
    for (int i = 1; i <= levels; ++i) {
        const int k = group_append_frame(group);
        host().bind_image(group->frames[k].image);
        host().copy_image(group->frames[0].image);
        const int lw = w >> i, lh = h >> i;
        // A level of zero size cannot exist; keep at least one pixel.
        host().scale(lw > 0 ? lw : 1, lh > 0 ? lh : 1);
    }
    host().bind_image(group->frames[0].image);
}

void frame_set_alpha_from(uint32_t target, uint32_t source)
{
    host().bind_image(target);
    const int w = host().width();
    const int h = host().height();
    if (w <= 0 || h <= 0)
        return;
    host().convert_image(IMAGE_RGBA);
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    uint8_t *rgba = static_cast<uint8_t *>(std::malloc(pixels * 4));
    if (!rgba)
        return;
    std::memcpy(rgba, host().get_data(), pixels * 4);

    host().bind_image(source);
    host().scale(w, h);
    host().convert_image(IMAGE_LUMINANCE);
    const uint8_t *grey = host().get_data();
    if (grey && host().width() == w && host().height() == h) {
        for (size_t p = 0; p < pixels; ++p)
            rgba[p * 4 + 3] = grey[p];
        host().bind_image(target);
        host().set_data(rgba);
    }
    host().bind_image(target);
    std::free(rgba);
}

uint8_t *image_alpha_plane()
{
    const int w = host().width();
    const int h = host().height();
    const size_t pixels = (w > 0 && h > 0) ? static_cast<size_t>(w) * static_cast<size_t>(h) : 0;
    uint8_t *plane = static_cast<uint8_t *>(std::malloc(pixels ? pixels : 1));
    if (!plane)
        return nullptr;
    std::memset(plane, 255, pixels ? pixels : 1);
    if (!pixels)
        return plane;
    const ImageTypeCode type = host().image_type();
    const uint8_t *data = host().get_data();
    if (!data)
        return plane;
    if (type == IMAGE_RGBA || type == IMAGE_BGRA) {
        for (size_t p = 0; p < pixels; ++p)
            plane[p] = data[p * 4 + 3];
    } else if (type == IMAGE_INDEXED) {
        const PaletteTypeCode palette_type = host().palette_type();
        const int entries = host().palette_size();
        const uint8_t *palette = host().get_palette();
        if ((palette_type == IMAGE_RGBA || palette_type == IMAGE_BGRA) && palette && entries > 0
            && ilGetInteger(IL_PALETTE_BPP) == 4) {
            for (size_t p = 0; p < pixels; ++p)
                plane[p] = data[p] < entries ? palette[data[p] * 4 + 3] : 255;
        }
    }
    return plane;
}
