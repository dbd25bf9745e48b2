// The help pages laid out beside the program: every page is there and the
// same as its source, every link and image points at a file (and anchor)
// that exists, nothing is fetched from elsewhere, and every page has a title
// and a way back to the start page.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const char *const START_PAGE = "aboutvorn.htm";

const char *const PAGES[] = {
    "aboutvorn.htm",  "window.htm",     "menu_file.htm",     "menu_edit.htm",  "menu_view.htm",
    "menu_image.htm", "menu_tools.htm", "menu_groups.htm", "menu_animation.htm", "menu_help.htm", "shortcuts.htm",
    "palette.htm",    "properties.htm", "resize.htm",        "vorn-cli.htm",   "plugins.htm",
};
const char *const ASSETS[] = {"vorn.css", "screenshot.png"};

fs::path built_help() { return fs::path(VORN_BINARY_DIR) / "bin" / "help"; }
fs::path source_help() { return fs::path(VORN_SOURCE_DIR) / "help"; }

std::string read_text(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The values of every href and src attribute, and of every url() in a style
// sheet, in document order.
std::vector<std::string> references(const std::string &text)
{
    static const std::regex attribute(R"re(\b(?:href|src)\s*=\s*(?:"([^"]*)"|'([^']*)'))re", std::regex::icase);
    static const std::regex css_url(R"re(url\(\s*["']?([^"')]*)["']?\s*\))re", std::regex::icase);
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), attribute); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
    for (auto it = std::sregex_iterator(text.begin(), text.end(), css_url); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[1].str());
    return found;
}

// Every id (and old-style name) a link can jump to, with repeats kept.
std::vector<std::string> anchors(const std::string &text)
{
    static const std::regex id(R"re(\b(?:id|name)\s*=\s*"([^"]*)")re", std::regex::icase);
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), id); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[1].str());
    return found;
}

std::string title(const std::string &text)
{
    static const std::regex element(R"re(<title>\s*([^<]*?)\s*</title>)re", std::regex::icase);
    std::smatch m;
    return std::regex_search(text, m, element) ? m[1].str() : std::string();
}

// A reference that leaves the help folder: a URL scheme (http:, file:,
// data: ...), a protocol-relative address, an absolute path or a step up.
bool leaves_help(const std::string &reference)
{
    static const std::regex scheme(R"re(^[A-Za-z][A-Za-z0-9+.-]*:)re");
    return std::regex_search(reference, scheme) || reference.rfind("/", 0) == 0 ||
           reference.find("..") != std::string::npos;
}

std::vector<std::string> listed_files()
{
    std::vector<std::string> files(std::begin(PAGES), std::end(PAGES));
    files.insert(files.end(), std::begin(ASSETS), std::end(ASSETS));
    return files;
}

TEST(HelpChecker, FindsReferencesAnchorsTitlesAndForeignAddresses)
{
    const struct {
        const char *html;
        std::vector<std::string> refs;
    } cases[] = {
        {R"(<a href="a.htm">x</a><img src='b.png'>)", {"a.htm", "b.png"}},
        {R"(<link rel="stylesheet" HREF = "s.css"><a href="#top">)", {"s.css", "#top"}},
        {R"(body { background: url("tile.png") } p { x: url(i.png) })", {"tile.png", "i.png"}},
        {R"(<p>href without an attribute</p>)", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(references(c.html), c.refs) << c.html;

    EXPECT_EQ(anchors(R"(<h2 id="one">a</h2><a name="two"></a><p id="one">)"),
              (std::vector<std::string>{"one", "two", "one"}));
    EXPECT_EQ(title("<head><title> The File menu </title></head>"), "The File menu");
    EXPECT_EQ(title("<head></head>"), "");

    for (const char *foreign : {"http://example.org/a.png", "HTTPS://x/y.css", "//cdn/x.js", "file:///etc/passwd",
                                "data:image/png;base64,AA", "/usr/share/a.png", "../docs/plugins.md"})
        EXPECT_TRUE(leaves_help(foreign)) << foreign;
    for (const char *local : {"aboutvorn.htm", "menu_file.htm#open", "#top", "screenshot.png"})
        EXPECT_FALSE(leaves_help(local)) << local;
}

TEST(HelpPages, EveryListedFileIsLaidOutBesideTheProgramAsItsSource)
{
    for (const std::string &name : listed_files()) {
        const fs::path built = built_help() / name;
        ASSERT_TRUE(fs::is_regular_file(built)) << built;
        EXPECT_GT(fs::file_size(built), 0u) << built;
        EXPECT_EQ(read_text(built), read_text(source_help() / name)) << name << " is stale in the build";
    }
    // A page added to help/ must be added to the list above, or it would go
    // unchecked.
    const std::vector<std::string> files = listed_files();
    const std::set<std::string> listed(files.begin(), files.end());
    for (const fs::directory_entry &entry : fs::directory_iterator(source_help()))
        EXPECT_TRUE(listed.count(entry.path().filename().string())) << entry.path() << " is not checked";
}

TEST(HelpPages, EveryReferenceResolvesInsideTheHelpFolder)
{
    std::vector<std::string> checked(std::begin(PAGES), std::end(PAGES));
    checked.push_back("vorn.css");
    for (const std::string &page : checked) {
        const std::string text = read_text(built_help() / page);
        const std::vector<std::string> refs = references(text);
        if (page != "vorn.css") {
            EXPECT_FALSE(refs.empty()) << page;
        }
        for (const std::string &ref : refs) {
            SCOPED_TRACE(page + ": " + ref);
            if (ref.empty() || leaves_help(ref)) {
                ADD_FAILURE() << "empty or not inside the help folder";
                continue;
            }
            const size_t hash = ref.find('#');
            const std::string file = hash == std::string::npos ? ref : ref.substr(0, hash);
            const std::string anchor = hash == std::string::npos ? "" : ref.substr(hash + 1);
            const fs::path target = built_help() / (file.empty() ? page : file);
            if (!fs::is_regular_file(target)) {
                ADD_FAILURE() << "no file " << target;
                continue;
            }
            if (!anchor.empty()) {
                const std::vector<std::string> ids = anchors(read_text(target));
                EXPECT_NE(std::count(ids.begin(), ids.end(), anchor), 0) << "no anchor " << anchor;
            }
        }
    }
}

TEST(HelpPages, EveryPageHasATitleUniqueAnchorsAndTheSharedNavigation)
{
    const std::vector<std::string> start_refs = references(read_text(built_help() / START_PAGE));
    const std::set<std::string> from_start(start_refs.begin(), start_refs.end());
    for (const char *page : PAGES) {
        SCOPED_TRACE(page);
        const std::string text = read_text(built_help() / page);
        EXPECT_NE(title(text), "");
        const std::vector<std::string> refs = references(text);
        const std::set<std::string> targets(refs.begin(), refs.end());
        EXPECT_TRUE(targets.count(START_PAGE)) << "no link back to the start page";
        EXPECT_TRUE(targets.count("vorn.css")) << "not using the shared style sheet";
        // The navigation list reaches every page from every page.
        for (const char *other : PAGES)
            EXPECT_TRUE(targets.count(other)) << "no link to " << other;
        EXPECT_TRUE(from_start.count(page));
        const std::vector<std::string> ids = anchors(text);
        const std::set<std::string> unique(ids.begin(), ids.end());
        EXPECT_EQ(unique.size(), ids.size()) << "an anchor is defined twice";
    }
    EXPECT_TRUE(from_start.count("screenshot.png")) << "the start page shows the screenshot";
}

} // namespace
