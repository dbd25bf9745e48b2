#include "views/logic/archive_browser_logic.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "formats/format_table.h"

namespace {

std::string lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::vector<ArchiveRow> archive_rows(const ArchiveListing &listing, const std::string &filter)
{
    const std::string wanted = lower(filter);
    // A folder is named once, the first time an entry needs it; ZIP folder
    // entries only name folders.
    std::vector<ArchiveRow> rows;
    std::map<std::string, size_t> folders; // "a/b/" -> its place in `files`
    std::vector<std::pair<std::string, ArchiveRow>> files; // by parent folder
    for (const ArchiveEntry &e : listing.entries) {
        if (!e.safe || e.folder)
            continue;
        if (!wanted.empty() && lower(e.name).find(wanted) == std::string::npos)
            continue;
        const size_t slash = e.name.rfind('/');
        const std::string parent = slash == std::string::npos ? std::string() : e.name.substr(0, slash + 1);
        for (size_t at = e.name.find('/'); at != std::string::npos; at = e.name.find('/', at + 1)) {
            const std::string folder = e.name.substr(0, at + 1);
            if (folders.count(folder))
                continue;
            const std::string trimmed = folder.substr(0, folder.size() - 1);
            const size_t start = trimmed.rfind('/');
            const size_t label_at = start == std::string::npos ? 0 : start + 1;
            const int depth = static_cast<int>(std::count(trimmed.begin(), trimmed.end(), '/'));
            folders[folder] = files.size();
            files.push_back({trimmed.substr(0, label_at), {depth, trimmed.substr(label_at), folder, 0, true}});
        }
        const int depth = static_cast<int>(std::count(e.name.begin(), e.name.end(), '/'));
        files.push_back({parent, {depth, e.name.substr(parent.size()), e.name, e.size, false}});
    }
    // Tree order: each parent's children in order of first appearance,
    // depth first from the top level.
    std::map<std::string, std::vector<size_t>> children;
    for (size_t i = 0; i < files.size(); ++i)
        children[files[i].first].push_back(i);
    auto visit = [&](auto &&self, const std::string &parent) -> void {
        for (const size_t i : children[parent]) {
            rows.push_back(files[i].second);
            if (files[i].second.folder)
                self(self, files[i].second.entry);
        }
    };
    visit(visit, std::string());
    return rows;
}

bool archive_entry_opens(const std::string &entry)
{
    for (const FormatDescriptor &row : FormatDescriptors)
        if (row.load_image && extension_matches(row.pattern, lower(entry).c_str()))
            return true;
    return false;
}
