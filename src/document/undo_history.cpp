#include "document/undo_history.h"

#include <cstring>

#include <IL/il.h>

#include "document/animation.h"
#include "image/host_table.h"

namespace {

size_t non_negative(ILint value) { return value > 0 ? static_cast<size_t>(value) : 0; }

size_t props_bytes(const PropertyList &list)
{
    if (!list.records || list.count <= 0)
        return 0;
    size_t bytes = sizeof(Property) * static_cast<size_t>(list.count);
    for (int i = 0; i < list.count; ++i)
        if (list.records[i].type == PROPERTY_STRING && list.records[i].value.s)
            bytes += std::strlen(list.records[i].value.s) + 1;
    return bytes;
}

// The bound image's pixels and palette as the library holds them.
size_t bound_image_bytes()
{
    return non_negative(ilGetInteger(IL_IMAGE_SIZE_OF_DATA))
           + non_negative(ilGetInteger(IL_PALETTE_NUM_COLS)) * non_negative(ilGetInteger(IL_PALETTE_BPP));
}

// Binds back the image that was bound when it was made.
class KeepBinding {
public:
    KeepBinding() : image_(static_cast<uint32_t>(ilGetInteger(IL_CUR_IMAGE))) {}
    ~KeepBinding() { host().bind_image(image_); }
    KeepBinding(const KeepBinding &) = delete;
    KeepBinding &operator=(const KeepBinding &) = delete;

private:
    uint32_t image_;
};

} // namespace

size_t anim_snapshot_bytes(const Animation &anim)
{
    const KeepBinding keep;
    size_t bytes = sizeof(Animation) + props_bytes(anim.props);
    if (!anim.groups)
        return bytes;
    for (int i = 0; i < anim.group_count; ++i) {
        const Group &group = anim.groups[i];
        bytes += sizeof(Group) + props_bytes(group.props) + (group.name ? std::strlen(group.name) + 1 : 0);
        if (!group.frames)
            continue;
        for (int j = 0; j < group.frame_count; ++j) {
            const Frame &frame = group.frames[j];
            bytes += sizeof(Frame) + props_bytes(frame.props);
            if (frame.image) {
                host().bind_image(frame.image);
                bytes += bound_image_bytes();
            }
        }
    }
    return bytes;
}

UndoHistory::UndoHistory(int max_steps, size_t max_bytes) : max_steps_(max_steps), max_bytes_(max_bytes) {}

UndoHistory::~UndoHistory()
{
    for (Snapshot &snapshot : undo_)
        destroy(snapshot);
    for (Snapshot &snapshot : redo_)
        destroy(snapshot);
}

void UndoHistory::destroy(Snapshot &snapshot)
{
    anim_destroy(&snapshot.animation);
    bytes_ -= snapshot.bytes;
}

void UndoHistory::clear()
{
    for (Snapshot &snapshot : undo_)
        destroy(snapshot);
    undo_.clear();
    drop_redo();
    bytes_ = 0;
    current_ = saved_ = next_++;
}

void UndoHistory::drop_redo()
{
    for (Snapshot &snapshot : redo_)
        destroy(snapshot);
    redo_.clear();
}

void UndoHistory::push(std::deque<Snapshot> &side, Animation &doc, size_t bytes, uint64_t state, std::string label)
{
    // The snapshot takes the arrays over; `doc` is left empty.
    side.push_back(Snapshot{doc, bytes, state, std::move(label)});
    anim_init(&doc);
    bytes_ += bytes;
}

void UndoHistory::record(const Animation &doc, const std::string &label)
{
    const size_t bytes = anim_snapshot_bytes(doc);
    if (max_steps_ <= 0 || bytes > max_bytes_) {
        // Measured before copying, so a document that cannot be kept never
        // has its copy made.
        const uint64_t saved = saved_;
        clear();
        saved_ = saved;
        current_ = next_++;
        return;
    }
    drop_redo();
    Animation copy{};
    {
        const KeepBinding keep;
        anim_copy(&doc, &copy);
    }
    push(undo_, copy, bytes, current_, label);
    current_ = next_++;
    trim();
}

void UndoHistory::forget_newest()
{
    if (undo_.empty())
        return;
    Snapshot &back = undo_.back();
    current_ = back.state;
    destroy(back);
    undo_.pop_back();
}

const std::string &UndoHistory::undo_label() const
{
    static const std::string none;
    return undo_.empty() ? none : undo_.back().label;
}

const std::string &UndoHistory::redo_label() const
{
    static const std::string none;
    return redo_.empty() ? none : redo_.back().label;
}

bool UndoHistory::step(std::deque<Snapshot> &from, std::deque<Snapshot> &to, Animation &doc)
{
    if (from.empty())
        return false;
    // The step's name goes with it to the other side.
    Snapshot &back = from.back();
    push(to, doc, anim_snapshot_bytes(doc), current_, back.label);
    doc = back.animation;
    current_ = back.state;
    bytes_ -= back.bytes;
    from.pop_back();
    trim();
    return true;
}

bool UndoHistory::undo(Animation &doc) { return step(undo_, redo_, doc); }

bool UndoHistory::redo(Animation &doc) { return step(redo_, undo_, doc); }

void UndoHistory::mark_saved() { saved_ = current_; }

void UndoHistory::trim()
{
    while (!undo_.empty() || !redo_.empty()) {
        const int steps = static_cast<int>(undo_.size() + redo_.size());
        if (steps <= max_steps_ && bytes_ <= max_bytes_)
            return;
        std::deque<Snapshot> &side = undo_.empty() ? redo_ : undo_;
        destroy(side.front());
        side.pop_front();
    }
}
