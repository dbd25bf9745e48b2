#include "commands_fixture.h"

#include "document/animation.h"
#include "image/host_table.h"

Group *CommandsTest::add_group(const char *name, int frames)
{
    Animation &anim = doc().animation;
    Group *group = anim_add_group(&anim, name);
    group_reset_frames(group, frames);
    for (int j = 0; j < frames; ++j) {
        host().bind_image(group->frames[j].image);
        set_rgba_pixels(j + 1, 2, std::vector<uint8_t>(static_cast<size_t>(j + 1) * 2 * 4, 200));
    }
    return &anim.groups[anim.group_count - 1];
}

std::vector<std::string> CommandsTest::group_names()
{
    std::vector<std::string> names;
    const Animation &anim = doc().animation;
    for (int i = 0; i < anim.group_count; ++i)
        names.push_back(anim.groups[i].name);
    return names;
}
