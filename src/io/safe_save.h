// Saving so that the file that was there survives every failure.
//
// A save never writes its target in place. The new file is made in the
// target's folder (anonymous, with O_TMPFILE, where the file system has it,
// so that a crash or a kill leaves nothing behind; otherwise under a hidden
// name of the form `.STEM.vorn-XXXXXX.EXT`), written, flushed to disk, given
// the old file's permissions and owner, and only then renamed over the
// target; the folder is flushed last. Every write, flush and close is
// checked, and the first failure is kept with its errno so that the caller
// can say what went wrong.
//
// Writers open their output with OutputFile. Inside a dispatch that guards
// a save (see SaveGuard), an OutputFile opened on the guarded path writes
// into the guard's new file and the dispatch decides when to put it in
// place; anywhere else an OutputFile guards its own save and puts the file
// in place when it is finished.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class ByteWriter;

class AtomicFile {
public:
    enum class Kind {
        Anonymous, // O_TMPFILE where possible, else a hidden name
        Named,     // always a hidden name (for writers that open files by name)
    };

    AtomicFile() = default;
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;
    ~AtomicFile();

    // Makes the new file for `target`. Symbolic links are followed, so the
    // file a link points to is the one replaced. Stale hidden files of an
    // earlier, interrupted save of the same target are removed first. False
    // with errno set when the folder takes no new file, and when the target
    // is refused: a loop of links (ELOOP), anything but a regular file
    // (EPERM) or a file whose mode bits allow this process no writing
    // (EACCES, checked for the superuser too); save_error_text() then says
    // which.
    bool create(const char *target, Kind kind = Kind::Anonymous);

    int fd() const { return fd_; }
    // The hidden name, empty for an anonymous file.
    const std::string &temporary_path() const { return temporary_; }

    // Empties the new file for another attempt at writing it.
    bool truncate();
    // Writes all of `size` bytes at the current offset; false with errno.
    bool write_all(const void *data, size_t size);
    // Writes all of `size` bytes at `offset`, leaving the current offset.
    bool write_at(const void *data, size_t size, uint64_t offset);
    // Appends `size` bytes of `in` from `offset` at the current offset, in
    // the kernel where it can; false with errno.
    bool copy_from(int in, uint64_t offset, uint64_t size);
    // Flushes the new file to disk and puts it in place of the target.
    // False with errno set; the target is then as it was.
    bool commit();
    // Throws the new file away (also done by the destructor).
    void discard();

    // The first failure seen by the writers of this file, 0 when none.
    int error() const { return error_; }
    void note_error(int code)
    {
        if (!error_)
            error_ = code;
    }

private:
    int fd_ = -1;
    std::string temporary_;
    std::string resolved_;
    std::string folder_;
    bool target_exists_ = false;
    unsigned target_mode_ = 0;
    unsigned target_uid_ = 0;
    unsigned target_gid_ = 0;
    int error_ = 0;
};

// While a SaveGuard lives on a thread, every OutputFile that thread opens on
// `path` (the same text the dispatch hands its writers) writes into `file`.
class SaveGuard {
public:
    SaveGuard(const char *path, AtomicFile &file);
    ~SaveGuard();
    SaveGuard(const SaveGuard &) = delete;
    SaveGuard &operator=(const SaveGuard &) = delete;

private:
    const char *previous_path_;
    AtomicFile *previous_file_;
};

// The output of one writer.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;
    ~OutputFile();

    // False with errno set when the file cannot be made.
    bool open(const char *path);
    bool write(const void *data, size_t size);
    bool write(const ByteWriter &out);
    // A stdio stream on the new file, for libraries that write through one;
    // its errors are checked by finish(). Null (errno set) on failure.
    FILE *stream();
    // Overwrites `size` bytes at `offset` of what has been written (the
    // stream is flushed first).
    bool patch(uint64_t offset, const void *data, size_t size);
    // Reads back `size` bytes at `offset` of what has been written (the
    // stream is flushed first), for a writer that mends its output.
    bool read_back(uint64_t offset, void *data, size_t size);
    // Ends the writing: checks the stream, and puts the file in place when
    // this output guards its own save. False with errno set on any failure
    // since open().
    bool finish();

private:
    bool fail(int code);

    AtomicFile own_;
    AtomicFile *file_ = nullptr;
    FILE *stream_ = nullptr;
    bool owned_ = false;
    bool failed_ = false;
};

// The message for a save of `path` that failed with `code`: why create()
// refused the target when it did (on this thread, last), else the system's
// text for the code. It names the target, never the hidden new file.
std::string save_error_text(const char *path, int code);

// While a DeferredSync lives on a thread, the saves that thread makes put
// their files in place without flushing them or their folder to disk, for
// a command that writes many files into `folder` and makes them durable
// together with finish() before it relies on them (before it writes the
// file that lists them, say). A killed process still leaves each file whole
// or absent; a power cut before finish() may leave some empty. The hidden
// files an interrupted run left in `folder` are removed on construction
// (the saves themselves skip that search).
class DeferredSync {
public:
    explicit DeferredSync(const std::string &folder);
    ~DeferredSync();
    DeferredSync(const DeferredSync &) = delete;
    DeferredSync &operator=(const DeferredSync &) = delete;

    // Ends the deferral and flushes the folder's file system (syncfs);
    // false with errno set when that failed.
    bool finish();

private:
    std::string folder_;
    bool previous_;
};

// A writer that declines a save for a reason it has told the user (a "No"
// to its question, a frame it cannot hold) calls this before returning 0:
// the dispatch then stops and adds no message of its own.
void save_refused();
// True once save_refused() was called since the last reset (per thread).
bool save_was_refused();
void reset_save_refusal();
