// The undo history: walking back and forward through the document's edits,
// the modified mark following the saved state, and the step and byte limits.
#include <string>
#include <vector>

#include "app/document_view.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "document/props.h"
#include "document/undo_history.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace {

class UndoHistoryTest : public DocumentTest {
protected:
    // Which edit the document shows: the "n" property each edit sets.
    static int shown() { return props_get_int(&doc().animation.props, "n"); }
    static void edit(int n)
    {
        doc_begin_edit(1);
        props_set_int(&doc().animation.props, "n", n, PROPERTY_INTEGER);
    }
};

// One group with one RGBA frame of side x side pixels, tagged with `n`.
void make_frame_animation(Animation &anim, int side, int n)
{
    anim_init(&anim);
    Group *group = anim_add_group(&anim, "g");
    group_append_frame(group);
    host().bind_image(group->frames[0].image);
    set_rgba_pixels(side, side, std::vector<uint8_t>(static_cast<size_t>(side) * side * 4, 7));
    props_set_int(&anim.props, "n", n, PROPERTY_INTEGER);
}

TEST_F(UndoHistoryTest, UndoRedoAndTheModifiedMarkFollowTheSavedState)
{
    enum Op { Edit, Save, Undo, Redo, Close };
    struct Step {
        Op op;
        int shown; // for Edit: the value it sets
        int modified, undo_steps, redo_steps;
        const char *why;
    };
    const Step script[] = {
        {Edit, 1, 1, 1, 0, "first edit"},
        {Save, 1, 0, 1, 0, "saving keeps the history"},
        {Edit, 2, 1, 2, 0, "second edit"},
        {Undo, 1, 0, 1, 1, "undo back to the saved state clears the mark"},
        {Redo, 2, 1, 2, 0, "redo off it sets the mark again"},
        {Undo, 1, 0, 1, 1, "back again"},
        {Undo, 0, 1, 0, 2, "before the first edit"},
        {Undo, 0, 1, 0, 2, "nothing more to undo"},
        {Redo, 1, 0, 1, 1, "redo onto the saved state"},
        {Edit, 3, 1, 2, 0, "a new edit drops the redo side"},
        {Redo, 3, 1, 2, 0, "nothing to redo"},
        {Save, 3, 0, 2, 0, "saved at 3"},
        {Undo, 1, 1, 1, 1, "off the saved state"},
        {Edit, 4, 1, 2, 0, "drops the saved state with the redo side"},
        {Undo, 1, 1, 1, 1, "the saved state is gone"},
        {Redo, 4, 1, 2, 0, "and cannot come back"},
        {Close, 0, 0, 0, 0, "New empties the history"},
        {Edit, 5, 1, 1, 0, "edit of the new document"},
        {Undo, 0, 0, 0, 1, "back to the new document"},
    };
    for (const Step &step : script) {
        switch (step.op) {
        case Edit: edit(step.shown); break;
        case Save: doc_mark_saved(); break;
        case Undo: doc_undo(); break;
        case Redo: doc_redo(); break;
        case Close:
            ui.queue_answer(true);
            ASSERT_EQ(1, doc_close());
            break;
        }
        EXPECT_EQ(step.shown, shown()) << step.why;
        EXPECT_EQ(step.modified, doc().modified) << step.why;
        EXPECT_EQ(step.undo_steps, doc_history().undo_steps()) << step.why;
        EXPECT_EQ(step.redo_steps, doc_history().redo_steps()) << step.why;
        EXPECT_EQ(step.undo_steps > 0, doc_conditions(doc()).undo_available) << step.why;
        EXPECT_EQ(step.redo_steps > 0, doc_conditions(doc()).redo_available) << step.why;
    }
}

TEST_F(UndoHistoryTest, SeventyEditsKeepTheNewestSixtyFour)
{
    for (int n = 1; n <= 70; ++n)
        edit(n);
    EXPECT_EQ(UNDO_HISTORY_STEPS, doc_history().undo_steps());
    int undone = 0;
    while (doc().undo_available) {
        doc_undo();
        ++undone;
    }
    EXPECT_EQ(64, undone);
    EXPECT_EQ(6, shown()) << "the state before edit 7 is the oldest kept";
    EXPECT_EQ(1, doc().modified) << "the loaded state was dropped, so it is never reached";
    while (doc().redo_available)
        doc_redo();
    EXPECT_EQ(70, shown());
}

TEST_F(UndoHistoryTest, ByteBudgetDropsTheOldestSnapshotsFirst)
{
    const int side = 256; // 256 KiB of pixels a frame
    Animation doc_anim{};
    make_frame_animation(doc_anim, side, 0);
    const size_t frame = anim_snapshot_bytes(doc_anim);
    ASSERT_GE(frame, size_t{side} * side * 4);
    ASSERT_LT(frame, size_t{side} * side * 4 + 4096);

    struct Case {
        int max_steps;
        size_t max_bytes;
        int kept;
    };
    const Case cases[] = {
        {10, frame * 3 + frame / 2, 3},
        {10, frame + frame / 2, 1},
        {2, frame * 100, 2},
    };
    for (const Case &c : cases) {
        UndoHistory history(c.max_steps, c.max_bytes);
        anim_destroy(&doc_anim);
        make_frame_animation(doc_anim, side, 0);
        for (int n = 1; n <= 5; ++n) {
            history.record(doc_anim);
            props_set_int(&doc_anim.props, "n", n, PROPERTY_INTEGER);
            EXPECT_LE(history.bytes(), c.max_bytes);
        }
        ASSERT_EQ(c.kept, history.undo_steps()) << c.kept;
        std::vector<int> restored;
        while (history.undo(doc_anim)) {
            restored.push_back(props_get_int(&doc_anim.props, "n"));
            EXPECT_LE(history.bytes(), c.max_bytes);
        }
        std::vector<int> newest;
        for (int n = 4; n > 4 - c.kept; --n)
            newest.push_back(n);
        EXPECT_EQ(newest, restored) << "the newest steps stay, the oldest go";
    }

    // A document larger than the whole budget is not copied at all, and the
    // steps before it can no longer be reached.
    UndoHistory history(10, frame * 3);
    history.record(doc_anim);
    ASSERT_TRUE(history.can_undo());
    Animation big{};
    make_frame_animation(big, side * 2, 9);
    history.record(big);
    EXPECT_FALSE(history.can_undo());
    EXPECT_EQ(0u, history.bytes());
    EXPECT_FALSE(history.at_saved());
    anim_destroy(&big);
    anim_destroy(&doc_anim);
}

} // namespace
