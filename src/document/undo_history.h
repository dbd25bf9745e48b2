// The document's undo history: deep copies of the animation taken before
// each edit (the undo side) and the states left by Undo (the redo side),
// bounded by a number of steps and by the bytes the copies hold. Plain
// animations, no toolkit; the document state (document_state.h) drives it.
//
// Every document state the history knows has an identity: the live
// document has one, each snapshot keeps the one it had. The saved state is
// remembered by identity, so undoing or redoing back onto it can show the
// document as unmodified, while a saved state that has been dropped (the
// oldest steps, a redo side thrown away by a new edit) is never matched
// again because identities are never reused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "plugins/vorn_plugin.h"

inline constexpr int UNDO_HISTORY_STEPS = 64;
inline constexpr size_t UNDO_HISTORY_BYTES = size_t{512} << 20;

// What a deep copy of `anim` holds in memory: pixel buffers, palettes,
// names and property records. Binds each frame's image to read its sizes
// and binds back whatever image was bound before.
size_t anim_snapshot_bytes(const Animation &anim);

class UndoHistory {
public:
    explicit UndoHistory(int max_steps = UNDO_HISTORY_STEPS, size_t max_bytes = UNDO_HISTORY_BYTES);
    ~UndoHistory();
    UndoHistory(const UndoHistory &) = delete;
    UndoHistory &operator=(const UndoHistory &) = delete;

    // Drops every snapshot; the live document becomes the saved state
    // (New, Open, Close).
    void clear();
    // Just before an edit of `doc`: a deep copy of it joins the undo side,
    // the redo side is dropped and the live document gets a new identity.
    // The oldest steps go while the limits are exceeded. A copy larger than
    // the whole byte budget is never made: the steps before it could no
    // longer be reached in order, so the history is emptied instead (the
    // saved state, if it was there, is then out of reach).
    // `label` names the edit for the Undo and Redo items ("Pencil"); empty
    // for edits that are not named.
    void record(const Animation &doc, const std::string &label = {});
    // Takes back the newest step without keeping it for Redo: the edit it
    // announced was abandoned and `doc` is already as the step holds it
    // (its pixels restored by whoever changed them). The live document gets
    // the step's identity back, so a saved state stays recognised.
    void forget_newest();
    // Moves `doc` to the redo side and the newest undo snapshot into it;
    // false (doc untouched) when there is nothing to undo.
    bool undo(Animation &doc);
    // The reverse of undo.
    bool redo(Animation &doc);
    // The live document is the saved state from now on; nothing is dropped.
    void mark_saved();
    // The live document is the saved state.
    bool at_saved() const { return current_ == saved_; }

    bool can_undo() const { return !undo_.empty(); }
    bool can_redo() const { return !redo_.empty(); }
    // The name of the edit Undo (Redo) would take back (do again); empty
    // when there is none or it has no name.
    const std::string &undo_label() const;
    const std::string &redo_label() const;
    int undo_steps() const { return static_cast<int>(undo_.size()); }
    int redo_steps() const { return static_cast<int>(redo_.size()); }
    // Bytes held by all snapshots of both sides.
    size_t bytes() const { return bytes_; }

private:
    struct Snapshot {
        Animation animation;
        size_t bytes;
        uint64_t state;
        std::string label; // the edit between this state and the next
    };

    void push(std::deque<Snapshot> &side, Animation &doc, size_t bytes, uint64_t state, std::string label);
    void drop_redo();
    // Moves `doc` onto `to` and the newest snapshot of `from` into it.
    bool step(std::deque<Snapshot> &from, std::deque<Snapshot> &to, Animation &doc);
    // Drops the oldest undo steps, then the farthest redo steps, until both
    // limits hold.
    void trim();
    void destroy(Snapshot &snapshot);

    int max_steps_;
    size_t max_bytes_;
    std::deque<Snapshot> undo_; // oldest first
    std::deque<Snapshot> redo_; // farthest first, the next redo last
    size_t bytes_ = 0;
    uint64_t current_ = 0; // identity of the live document
    uint64_t saved_ = 0;
    uint64_t next_ = 1;
};
