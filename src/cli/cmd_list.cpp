// vorn-cli list: the entries of a PAK or PK3/ZIP archive with their sizes,
// and the pictures inside those that hold several (maps' textures, models'
// skins, WADs' lumps) as the groups they load as.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "cli/cli.h"
#include "document/animation.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "io/byte_io.h"

namespace {

// The entries whose pictures are listed under them, by extension: each
// loads as one group a picture (a texture, a skin).
const char *const CONTENT_EXTENSIONS[] = {".bsp", ".mdl"};

bool lists_contents(const std::string &name)
{
    const std::string ext = lower_extension(name.c_str());
    for (const char *known : CONTENT_EXTENSIONS)
        if (ext == known)
            return true;
    return false;
}

// Keeps what a load says: a map or model Vorn cannot read lists no contents
// and says why once, under its entry.
class Quiet : public Platform {
public:
    Quiet() : previous_(&platform()) { set_platform(this); }
    ~Quiet() override { set_platform(previous_); }
    Quiet(const Quiet &) = delete;
    Quiet &operator=(const Quiet &) = delete;
    void show_message(const std::string &text, MessageIcon) override { said.push_back(text); }
    bool ask_yes_no(const std::string &) override { return false; }
    std::vector<std::string> said;

private:
    Platform *previous_;
};

struct Content {
    std::string name;
    int width = 0, height = 0, frames = 0;
};

// The groups `path` loads as: one per texture or skin.
std::vector<Content> contents_of(const std::string &path, std::string &note)
{
    std::vector<Content> out;
    Animation anim;
    anim_init(&anim);
    {
        Quiet quiet;
        file_load_result(path.c_str(), &anim);
        if (!quiet.said.empty())
            note = quiet.said.front();
    }
    for (int g = 0; g < anim.group_count; ++g) {
        const Group &group = anim.groups[g];
        Content c;
        c.name = group.name ? group.name : "";
        c.frames = group.frame_count;
        if (group.frame_count > 0) {
            host().bind_image(group.frames[0].image);
            c.width = host().width();
            c.height = host().height();
        }
        out.push_back(std::move(c));
    }
    anim_destroy(&anim);
    return out;
}

} // namespace

int cli_list(const Args &args)
{
    CliOptions options;
    if (const int status = cli_parse_options(args, {{"--json", false}}, options))
        return status;
    if (options.positionals.size() != 1)
        return cli_usage_error("list needs one archive");
    const std::string archive = options.positionals[0];
    const bool json = options.has("--json");
    CliRun run("list", json);

    ArchiveListing listing;
    std::string error;
    if (!list_archive(archive, listing, error))
        return run.finish(run.fail(error));
    run.read(archive);
    for (const std::string &skipped : listing.skipped)
        show_warning(skipped);

    Json entries = Json::array();
    for (const ArchiveEntry &e : listing.entries) {
        std::vector<Content> contents;
        std::string note;
        if (e.safe && !e.folder && lists_contents(e.name))
            contents = contents_of(archive + "/" + e.name, note);
        if (json) {
            Json item{{"name", cli_json_text(e.name.c_str())}, {"size", e.size}, {"stored", e.stored}};
            if (e.folder)
                item["folder"] = true;
            if (!e.safe)
                item["unsafe_name"] = true;
            if (!contents.empty() || !note.empty()) {
                Json inside = Json::array();
                for (const Content &c : contents)
                    inside.push_back(Json{{"name", cli_json_text(c.name.c_str())},
                                          {"width", c.width},
                                          {"height", c.height},
                                          {"frames", c.frames}});
                item["contents"] = inside;
                if (!note.empty())
                    item["note"] = note;
            }
            entries.push_back(std::move(item));
            continue;
        }
        std::printf("%12" PRIu64 "  %s%s\n", e.size, e.name.c_str(),
                    e.safe ? "" : "  (a name reaching outside the archive: never opened)");
        for (const Content &c : contents)
            std::printf("%12s    %s  %dx%d%s\n", "", c.name.c_str(), c.width, c.height,
                        c.frames > 1 ? format_text(", %d frames", c.frames).c_str() : "");
        if (!note.empty())
            std::printf("%12s    (%s)\n", "", note.c_str());
    }
    if (json) {
        run.extra()["format"] = listing.zip ? "zip" : "pak";
        run.extra()["entries"] = std::move(entries);
    }
    return run.finish(0);
}
