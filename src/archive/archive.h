// Files inside PAK and PK3/ZIP archives, named `ARCHIVE/ENTRY`.
//
// Nothing is ever unpacked to disk: an entry is read into an anonymous
// memory file, which the readers open through a name that keeps the entry's
// own (so that its extension picks the reader), and a save writes the
// archive anew through the safe save with one entry replaced or added,
// every other entry's bytes, name and place in the order kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// True when the last component of `name` ends .pak, .pk3 or .zip (any case).
bool has_archive_extension(const std::string &name);

// True when `path` is a regular file with an archive extension (the
// archive itself, not an entry of it).
bool is_archive_file(const std::string &path);

// Splits `path` into the archive and the entry inside it: walking from the
// left, the first component that is a regular file with an archive
// extension is the archive, the rest (without leading slashes) the entry.
// False when no component is one, or nothing follows it.
bool split_archive_path(const std::string &path, std::string &archive, std::string &entry);

// As split_archive_path, for a save: also an archive not made yet, named
// by the first component with an archive extension when nothing of that
// name exists and its folder does (`new.pk3/progs/s.spr` makes new.pk3).
bool split_archive_save_path(const std::string &path, std::string &archive, std::string &entry);

// True when `path` names an existing file, or an entry that the archive it
// goes through lists.
bool file_or_entry_exists(const std::string &path);

// The folder (with its slash) a file dialog starts in for `path`: the
// archive's folder for an entry inside one.
std::string folder_for_dialog(const std::string &path);

// False for a name that could reach outside the folder it is unpacked into
// (a `..` component, an absolute path, a drive letter) or holds a NUL or
// a backslash; such entries are listed but never opened or written.
bool archive_name_is_safe(const std::string &name);

struct ArchiveEntry {
    std::string name;    // as stored
    uint64_t size = 0;   // the bytes it reads as
    uint64_t stored = 0; // the bytes it takes in the archive (compressed)
    bool folder = false; // a ZIP folder entry (a name ending '/')
    bool safe = true;    // archive_name_is_safe(name)
};

struct ArchiveListing {
    bool zip = false; // else a PAK
    std::vector<ArchiveEntry> entries;
    // An entry left out (past the end, overlapping another, a name without
    // its terminator) is not in `entries`: one message each, naming the
    // archive and the entry.
    std::vector<std::string> skipped;
};

// Reads the directory. False with `error` (naming the archive and the
// cause) when the file is no archive Vorn reads.
bool list_archive(const std::string &archive, ArchiveListing &out, std::string &error);

// Copies `entry`'s bytes to `fd` at its current offset. An entry that
// claims or inflates to more than the pixel budget is refused.
bool read_archive_entry(const std::string &archive, const std::string &entry, int fd, std::string &error);

// Writes `archive` anew with `entry` holding `data` (replaced in place, or
// added at the end), through the safe save: the old archive stays whole
// until the new one is on disk. An archive not made yet is made, a PACK
// for a .pak name, else a ZIP.
bool write_archive_entry(const std::string &archive, const std::string &entry, const std::vector<uint8_t> &data,
                         std::string &error);

// Writes `data` as the whole of `path`: a file through the safe save, or an
// entry inside an archive (made when split_archive_save_path says so).
// False with `error` naming the path and the cause.
bool write_file_or_entry(const std::string &path, const std::vector<uint8_t> &data, std::string &error);

// An entry read into memory, under a name the readers can open: a private
// folder holding a link named as the entry to the memory file. The name and
// the folder go with the object.
class ArchiveEntryFile {
public:
    ArchiveEntryFile() = default;
    ArchiveEntryFile(const ArchiveEntryFile &) = delete;
    ArchiveEntryFile &operator=(const ArchiveEntryFile &) = delete;
    ~ArchiveEntryFile();

    bool open(const std::string &archive, const std::string &entry, std::string &error);
    const std::string &path() const { return path_; }

private:
    int fd_ = -1;
    std::string folder_;
    std::string path_;
};

// Where a save to `ARCHIVE/ENTRY` writes the entry before the archive is
// rewritten with it: a file named as the entry in a private folder.
class ArchiveEntrySave {
public:
    ArchiveEntrySave() = default;
    ArchiveEntrySave(const ArchiveEntrySave &) = delete;
    ArchiveEntrySave &operator=(const ArchiveEntrySave &) = delete;
    ~ArchiveEntrySave();

    // Refuses an entry name that is not safe, and an archive that cannot
    // be rewritten (one with skipped entries, which would be lost).
    bool create(const std::string &archive, const std::string &entry, std::string &error);
    const std::string &path() const { return path_; }
    // Rewrites the archive with what was saved at path().
    bool commit(std::string &error);

private:
    std::string archive_;
    std::string entry_;
    std::string folder_;
    std::string path_;
};
