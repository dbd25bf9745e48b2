#include "app/logic/playback.h"

#include "document/props.h"
#include "quake/texture_sequences.h"

#include <string>
#include <vector>

int playback_interval(const Frame *frame)
{
    if (!frame)
        return PLAYBACK_DEFAULT_INTERVAL;
    const float seconds = props_get_float(&frame->props, "Duration");
    const float ms = seconds * 1000.0f;
    // NaN and non-positive durations fall back to the default; huge ones
    // are held to what a timer can take.
    if (!(ms >= 1.0f))
        return PLAYBACK_DEFAULT_INTERVAL;
    if (ms >= 2147483647.0f)
        return 2147483647;
    return static_cast<int>(ms);
}

namespace {

const Group *playable_group(const Animation *anim, int group)
{
    if (!anim || !anim->groups || group < 0 || group >= anim->group_count)
        return nullptr;
    const Group *g = &anim->groups[group];
    return g->frames && g->frame_count > 1 ? g : nullptr;
}

} // namespace

int playback_start(const Animation *anim, int group, int frame)
{
    const Group *g = playable_group(anim, group);
    if (!g || frame < 0 || frame >= g->frame_count)
        return 0;
    return playback_interval(&g->frames[frame]);
}

int playback_tick(const Animation *anim, int group, int *frame, bool busy)
{
    const Group *g = busy ? nullptr : playable_group(anim, group);
    if (!g)
        return 0;
    int next = *frame + 1;
    if (next < 0 || next >= g->frame_count)
        next = 0;
    *frame = next;
    return playback_interval(&g->frames[next]);
}

int playback_sequence_next(const Animation *anim, int group)
{
    if (!anim || !anim->groups || group < 0 || group >= anim->group_count)
        return -1;
    std::vector<std::string> names(static_cast<size_t>(anim->group_count));
    for (int g = 0; g < anim->group_count; ++g)
        names[static_cast<size_t>(g)] = anim->groups[g].name ? anim->groups[g].name : "";
    for (const TextureSequence &seq : find_texture_sequences(names)) {
        const std::vector<int> members = seq.members();
        for (size_t i = 0; members.size() > 1 && i < members.size(); ++i)
            if (members[i] == group)
                return members[(i + 1) % members.size()];
    }
    return -1;
}
