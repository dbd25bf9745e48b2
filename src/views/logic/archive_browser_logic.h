// The archive browser's rows: an archive's entries as a tree of folders,
// narrowed by a filter, and which entries can show a thumbnail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive.h"

struct ArchiveRow {
    int depth;         // 0 for the archive's top level
    std::string label; // the last component of the name
    std::string entry; // the entry's full name; a folder's ends in '/'
    uint64_t size;     // 0 for a folder
    bool folder;
};

// The rows in tree order (a folder before what it holds, folders and files
// in the archive's order of first appearance) of the entries whose full
// name holds `filter` (any case), with the folders that lead to them.
// Entries whose names reach outside the archive are left out.
std::vector<ArchiveRow> archive_rows(const ArchiveListing &listing, const std::string &filter);

// True when an entry of this name is one Vorn opens as a document (a
// format with a reader, by its extension).
bool archive_entry_opens(const std::string &entry);
