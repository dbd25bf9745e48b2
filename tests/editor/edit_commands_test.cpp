// The clipboard and frame commands of the main window: Copy, Cut, Paste To
// Current Frame, Paste As New Frame, Delete Frame, Import & Append, Undo.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QSlider>

#include "app/document_controller.h"
#include "app/logic/command_ids.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "document/props.h"
#include "editor_fixture.h"
#include "image/host_table.h"
#include "views/preview_widget.h"

namespace {

class EditCommands : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        open_window();
        QGuiApplication::clipboard()->clear();
    }
    DocumentState &doc() { return doc_state(); }
    void load(const std::string &path)
    {
        window->start_load(path);
        wait_for_file_operation();
    }
    static void put_picture_on_clipboard(int w, int h, QRgb colour)
    {
        QImage picture(w, h, QImage::Format_RGBA8888);
        picture.fill(QColor::fromRgba(colour));
        QGuiApplication::clipboard()->setImage(picture);
    }
};

TEST_F(EditCommands, CopyPutsTheFrameOnTheClipboardWithoutModifying)
{
    load(data_path("spr/librequake_s_bubble.spr"));
    window->command(IDM_COPY);
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(QSize(16, 16), copied.size());
    EXPECT_FALSE(doc().modified);
    EXPECT_FALSE(doc().undo_available);
}

TEST_F(EditCommands, CutOfTheLastFrameDeletesItAndSelectsTheFirst)
{
    load(data_path("spr/librequake_s_bubble.spr")); // two frames
    window->command(IDM_END);
    window->command(IDM_CUT);
    EXPECT_EQ(QSize(16, 16), QGuiApplication::clipboard()->image().size());
    EXPECT_EQ(1, doc().animation.groups[0].frame_count);
    EXPECT_EQ(0, doc().current_frame);
    EXPECT_EQ(0, window->frame_slider()->maximum());
    EXPECT_TRUE(doc().modified);
    window->command(IDM_UNDO);
    EXPECT_EQ(2, doc().animation.groups[0].frame_count);
}

TEST_F(EditCommands, PasteReplacesTheCurrentFramesImage)
{
    load(data_path("spr/librequake_s_bubble.spr"));
    put_picture_on_clipboard(5, 3, qRgba(10, 20, 30, 255));
    window->command(IDM_PASTE);
    const uint32_t image = doc().animation.groups[0].frames[0].image;
    EXPECT_EQ(5, image_width(image));
    EXPECT_EQ(3, image_height(image));
    const std::vector<uint8_t> pixels = rgba_of(image);
    ASSERT_EQ(5u * 3 * 4, pixels.size());
    EXPECT_EQ((std::vector<uint8_t>{10, 20, 30, 255}), std::vector<uint8_t>(pixels.begin(), pixels.begin() + 4));
    EXPECT_EQ(QSize(5, 3), window->preview()->picture().size());
    EXPECT_TRUE(doc().undo_available);
}

TEST_F(EditCommands, PasteWithAnEmptyClipboardStillTakesTheUndoStep)
{
    load(data_path("spr/librequake_s_bubble.spr"));
    const std::vector<uint8_t> before = rgba_of(doc().animation.groups[0].frames[0].image);
    window->command(IDM_PASTE);
    EXPECT_EQ(before, rgba_of(doc().animation.groups[0].frames[0].image));
    EXPECT_TRUE(doc().modified);
    EXPECT_TRUE(doc().undo_available);
}

TEST_F(EditCommands, PasteAsNewFrameOnAnEmptyDocumentCentresTheOrigin)
{
    put_picture_on_clipboard(33, 17, qRgba(1, 2, 3, 255));
    window->command(IDM_PASTE_AS_NEW_FRAME);
    ASSERT_EQ(1, doc().animation.group_count);
    EXPECT_STREQ(NO_GROUP_NAME, doc().animation.groups[0].name);
    ASSERT_EQ(1, doc().animation.groups[0].frame_count);
    const Frame &f = doc().animation.groups[0].frames[0];
    EXPECT_EQ(33, image_width(f.image));
    EXPECT_EQ(16, props_get_int(&f.props, "Origin X"));
    EXPECT_EQ(8, props_get_int(&f.props, "Origin Y"));
    EXPECT_EQ("Frame 1 of 1", status_text());
    window->command(IDM_UNDO);
    EXPECT_EQ(0, doc().animation.group_count);
}

TEST_F(EditCommands, PasteAsNewFrameAppendsAndSelectsIt)
{
    load(data_path("spr/librequake_s_bubble.spr"));
    put_picture_on_clipboard(4, 4, qRgba(9, 9, 9, 255));
    window->command(IDM_PASTE_AS_NEW_FRAME);
    EXPECT_EQ(3, doc().animation.groups[0].frame_count);
    EXPECT_EQ(2, doc().current_frame);
    EXPECT_EQ(2, window->frame_slider()->value());
}

TEST_F(EditCommands, DeleteFrameAsksFirst)
{
    load(data_path("spr/librequake_s_bubble.spr"));
    ui.queue_answer(false);
    window->command(IDM_DELETE_FRAME);
    EXPECT_EQ(2, doc().animation.groups[0].frame_count);
    EXPECT_FALSE(doc().modified);
    ui.queue_answer(true);
    window->command(IDM_DELETE_FRAME);
    EXPECT_EQ(1, doc().animation.groups[0].frame_count);
    ASSERT_EQ(2u, ui.questions().size());
    EXPECT_EQ("Remove this frame?", ui.questions()[0]);
    ui.queue_answer(true);
    window->command(IDM_DELETE_FRAME); // the group stays, with no frames
    EXPECT_EQ(1, doc().animation.group_count);
    EXPECT_EQ(0, doc().animation.groups[0].frame_count);
    EXPECT_EQ("Current group contains no frames.", status_text());
    EXPECT_FALSE(window->menu_action(IDM_DELETE_FRAME)->isEnabled());
}

TEST_F(EditCommands, ImportAndAppendAddsTheChosenFilesInOrder)
{
    load(data_path("spr/librequake_s_bubble.spr"));
    ui.queue_files({data_path("spr/librequake_s_light.spr"), data_path("spr/hexen2_glass.spr")});
    window->command(IDM_IMPORT_APPEND);
    const Group &g = doc().animation.groups[0];
    ASSERT_EQ(4, g.frame_count);
    EXPECT_EQ(32, image_width(g.frames[2].image));
    EXPECT_EQ(16, image_width(g.frames[3].image));
    EXPECT_EQ(3, doc().current_frame);
    EXPECT_EQ("Frame 4 of 4", status_text());
    window->command(IDM_UNDO);
    EXPECT_EQ(2, doc().animation.groups[0].frame_count);
}

TEST_F(EditCommands, CancelledImportChangesNothing)
{
    load(data_path("spr/librequake_s_bubble.spr"));
    ui.queue_files({});
    window->command(IDM_IMPORT_APPEND);
    EXPECT_EQ(2, doc().animation.groups[0].frame_count);
    EXPECT_FALSE(doc().modified);
}

TEST_F(EditCommands, SaveAsWritesTheDocumentUnderTheChosenName)
{
    load(data_path("spr/librequake_s_bubble.spr"));
    const std::string target = scratch_dir("editor_save_as") + "/copy.spr";
    ui.queue_file(target);
    window->command(IDM_SAVE_AS);
    wait_for_file_operation();
    EXPECT_EQ(read_bytes(data_path("spr/librequake_s_bubble.spr")).size(), read_bytes(target).size());
    EXPECT_STREQ(target.c_str(), doc().file_name);
    EXPECT_EQ("Vorn - " + target + " [100%]", title());
}

} // namespace
