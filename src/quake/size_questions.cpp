#include "quake/size_questions.h"

#include "io/safe_save.h"
#include "document/props.h"
#include "image/host_table.h"
#include "platform/platform.h"
#include "quake/quake_layout.h"

bool size_suits(const SizeQuestion &rule, int width, int height)
{
    return width % rule.width_multiple == 0 && height % rule.height_multiple == 0;
}

bool size_question_allows(const SizeQuestion &rule, int width, int height)
{
    if (size_suits(rule, width, height) || ask_question(rule.question))
        return true;
    save_refused();
    return false;
}

namespace {

std::string size_text(const TextureFacts &t) { return format_text("%ix%i", t.width, t.height); }

bool is_sky(const std::string &name)
{
    // The engine tells skies by this prefix, compared with its case.
    return name.compare(0, 3, "sky") == 0;
}

constexpr int SKY_WIDTH = 256;
constexpr int SKY_HEIGHT = 128;

std::string texture_causes(const TextureFacts &t)
{
    std::vector<std::string> causes;
    if (t.kind == TextureKind::Texture) {
        if (!size_suits(MIP_SIZE_QUESTION, t.width, t.height))
            causes.push_back(size_text(t) + ", a texture's sides must be multiples of 16");
        if (is_sky(t.name) && (t.width != SKY_WIDTH || t.height != SKY_HEIGHT))
            causes.push_back(size_text(t) + format_text(", a sky must be %ix%i", SKY_WIDTH, SKY_HEIGHT));
    } else if (t.kind == TextureKind::Picture && !size_suits(WAD_SIZE_QUESTION, t.width, t.height)) {
        causes.push_back(size_text(t) + ", GLQuake needs a width that is a multiple of 4");
    }
    std::string text;
    for (const std::string &c : causes)
        text += (text.empty() ? "" : "; ") + c;
    return text;
}

} // namespace

std::vector<TextureRuleBreak> texture_rule_breaks(const std::vector<TextureFacts> &textures)
{
    std::vector<TextureRuleBreak> breaks;
    for (size_t g = 0; g < textures.size(); ++g) {
        const std::string causes = texture_causes(textures[g]);
        if (!causes.empty())
            breaks.push_back({static_cast<int>(g), causes});
    }
    const std::vector<TextureRuleBreak> sequences = sequence_rule_breaks(textures);
    breaks.insert(breaks.end(), sequences.begin(), sequences.end());
    return breaks;
}

std::vector<TextureFacts> animation_texture_facts(Animation *anim)
{
    std::vector<TextureFacts> facts(anim && anim->group_count > 0 ? static_cast<size_t>(anim->group_count) : 0);
    for (size_t g = 0; g < facts.size(); ++g) {
        const Group &group = anim->groups[g];
        TextureFacts &f = facts[g];
        f.name = group.name ? group.name : "";
        const int type = props_get_int(&group.props, wad_layout::PROP_ENTRY_TYPE);
        if (group.frame_count <= 0 || !group.frames || type == wad_layout::ENTRY_OTHER)
            continue;
        f.kind = type == wad_layout::ENTRY_MIP_TEXTURE ? TextureKind::Texture : TextureKind::Picture;
        host().bind_image(group.frames[0].image);
        f.width = host().width();
        f.height = host().height();
    }
    return facts;
}

std::string texture_rule_question(const std::string &path, const std::vector<TextureRuleBreak> &breaks,
                                  const std::vector<TextureFacts> &textures, size_t shown)
{
    std::string text = format_text("%s has textures that break rules the Quake engine holds them to (it may refuse "
                                   "them, crash or draw them wrong):\n",
                                   path.c_str());
    for (size_t i = 0; i < breaks.size() && i < shown; ++i) {
        const size_t g = static_cast<size_t>(breaks[i].group);
        const std::string name = g < textures.size() ? textures[g].name : std::string();
        text += format_text("  \"%s\": %s\n", name.c_str(), breaks[i].cause.c_str());
    }
    if (breaks.size() > shown)
        text += format_text("  and %i more\n", static_cast<int>(breaks.size() - shown));
    return text + "Save it anyway?";
}
