// The palette editor and the Generate Colormap dialog as the user meets
// them: controls found by their ids, a real sprite edited with the mouse and
// with the keyboard alone, OK reaching the frame, Cancel reaching nothing,
// and Qt's own colour dialog with the settings' custom colours.
#include <IL/il.h>

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "dialog_helpers.h"
#include "app/editor_platform.h"
#include "app/logic/command_ids.h"
#include "app/logic/settings.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "editor_fixture.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "quake/colormap.h"
#include "views/colormap_dialog.h"
#include "views/logic/palette_editor_logic.h"
#include "views/palette_editor_dialog.h"
#include "views/palette_grid_widget.h"

namespace {

QPoint centre_of(QWidget *grid, int k)
{
    const GridRect c = palette_grid_cell(grid->width(), grid->height(), k);
    return {(c.left + c.right) / 2, (c.top + c.bottom) / 2};
}

class PaletteEditor : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        palette_change_alpha = false;
    }
    void TearDown() override
    {
        palette_change_alpha = false;
        EditorTest::TearDown();
    }

    // The sprite as the current document, clean.
    void load_sprite()
    {
        DocumentState &doc = doc_state();
        file_load(data_path("spr/librequake_s_explod.spr").c_str(), &doc.animation);
        ASSERT_TRUE(doc_has_frame(doc));
        doc.current_group = 0;
        doc.current_frame = 0;
        doc_begin_edit(0);
    }
    static std::vector<uint8_t> frame_palette(int g, int f)
    {
        anim_bind_frame(&doc_state().animation, g, f);
        const ILint type = ilGetInteger(IL_PALETTE_TYPE);
        ilConvertPal(IL_PAL_RGBA32);
        std::vector<uint8_t> p(host().get_palette(), host().get_palette() + host().palette_size() * 4);
        ilConvertPal(static_cast<ILenum>(type));
        return p;
    }
    static void open(QDialog &dialog)
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        pump();
    }
};

TEST_F(PaletteEditor, ControlsCarryTheirIdsTextsAndChecks)
{
    settings().palette_global = 1;
    settings().palette_maintain_index = 0;
    PaletteEditorDialog dialog(palette_editor_settings());
    EXPECT_EQ("Palette Editor", dialog.windowTitle());
    EXPECT_EQ("135", dialog.objectName());
    const std::pair<const char *, const char *> buttons[] = {{"1", "OK"}, {"2", "Cancel"}, {"3", "Load"}, {"4", "Save"}};
    for (const auto &[id, text] : buttons)
        EXPECT_EQ(text, child<QPushButton>(&dialog, id)->text()) << id;
    EXPECT_TRUE(child<QPushButton>(&dialog, "1")->isDefault());
    // No document: the labels keep the template texts.
    EXPECT_EQ("Palette Index: X", child<QLabel>(&dialog, "1021")->text());
    EXPECT_EQ("R: X B: X G: X", child<QLabel>(&dialog, "1022")->text());

    auto *bar = child<QMenuBar>(&dialog, "143");
    ASSERT_NE(nullptr, bar);
    QStringList menus;
    for (QAction *a : bar->actions())
        menus << a->text();
    EXPECT_EQ((QStringList{"&File", "&Tools", "&Options", "&Advanced"}), menus);
    const std::pair<int, const char *> items[] = {
        {3, "&Load..."},           {4, "&Save..."},         {40090, "&Generate Colormap..."},
        {40091, "&Maintain Indexes"}, {40092, "&Apply Palette To All Frames"}, {40115, "Add Color"},
        {40116, "Delete Color"},   {40117, "Change Alpha"},
    };
    for (const auto &[id, text] : items) {
        QAction *a = dialog.menu_action(id);
        ASSERT_NE(nullptr, a) << id;
        EXPECT_EQ(text, a->text()) << id;
    }
    EXPECT_TRUE(dialog.menu_action(40092)->isChecked());
    EXPECT_FALSE(dialog.menu_action(40091)->isChecked());
    EXPECT_FALSE(dialog.menu_action(40117)->isChecked());

    dialog.menu_action(40091)->trigger();
    dialog.menu_action(40092)->trigger();
    dialog.menu_action(40117)->trigger();
    EXPECT_EQ(1, settings().palette_maintain_index);
    EXPECT_EQ(0, settings().palette_global);
    EXPECT_TRUE(palette_change_alpha);
    EXPECT_TRUE(dialog.menu_action(40091)->isChecked());
    EXPECT_FALSE(dialog.menu_action(40092)->isChecked());
    EXPECT_TRUE(dialog.menu_action(40117)->isChecked());

    // Add Color on the empty editor, then Delete Color of the only entry.
    dialog.menu_action(40115)->trigger();
    EXPECT_EQ("Palette Index: 0", child<QLabel>(&dialog, "1021")->text());
    EXPECT_EQ("R: 0 G: 0 B: 0 A: 255", child<QLabel>(&dialog, "1022")->text());
    dialog.menu_action(40116)->trigger();
    EXPECT_EQ("Palette Index: -", child<QLabel>(&dialog, "1021")->text());
    dialog.menu_action(40116)->trigger();
    EXPECT_EQ((std::vector<std::string>{"Palette is empty"}), message_texts());
}

TEST_F(PaletteEditor, DoubleClickWithAChosenColourThenOkChangesTheFrame)
{
    load_sprite();
    settings().palette_global = 0;
    settings().palette_maintain_index = 1;
    const std::vector<uint8_t> before = frame_palette(0, 0);
    ASSERT_EQ(1024u, before.size());

    PaletteEditorDialog dialog(palette_editor_settings());
    open(dialog);
    auto *grid = child<PaletteGridWidget>(&dialog, "1020");
    ASSERT_NE(nullptr, grid);
    EXPECT_EQ(grid, QApplication::focusWidget());
    EXPECT_EQ(256, dialog.grid().count);

    ui.queue_color(0x00102030u);
    QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier, centre_of(grid, 18));
    EXPECT_EQ("Palette Index: 18", child<QLabel>(&dialog, "1021")->text());
    EXPECT_EQ("R: 48 G: 32 B: 16 A: 255", child<QLabel>(&dialog, "1022")->text());
    // Nothing reaches the frame, nor the undo history, before OK.
    EXPECT_EQ(0, doc_state().modified);
    EXPECT_EQ(before, frame_palette(0, 0));

    QTest::mouseClick(child<QPushButton>(&dialog, "1"), Qt::LeftButton);
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    const std::vector<uint8_t> after = frame_palette(0, 0);
    ASSERT_EQ(1024u, after.size());
    EXPECT_EQ(48, after[18 * 4 + 0]);
    EXPECT_EQ(32, after[18 * 4 + 1]);
    EXPECT_EQ(16, after[18 * 4 + 2]);
    EXPECT_EQ(0, std::memcmp(before.data(), after.data(), 18 * 4));
    EXPECT_EQ(1, doc_state().modified);
    EXPECT_EQ(1, doc_state().undo_available);
    doc_undo();
    EXPECT_EQ(before, frame_palette(0, 0));
}

TEST_F(PaletteEditor, TheKeyboardAloneSelectsEditsAndCancels)
{
    load_sprite();
    const std::vector<uint8_t> before = frame_palette(0, 0);
    PaletteEditorDialog dialog(palette_editor_settings());
    open(dialog);
    QWidget *grid = QApplication::focusWidget();
    ASSERT_EQ(child<QWidget>(&dialog, "1020"), grid);
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ("Palette Index: 18", child<QLabel>(&dialog, "1021")->text());
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(17, dialog.grid().selected);

    // Enter edits the selected entry (the grid keeps the key from OK).
    ui.queue_color(0x000000FFu);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(255, dialog.grid().colors[17 * 4]);
    EXPECT_EQ(1u, ui.color_requests().size());

    // Tab walks to the buttons in order.
    const char *order[] = {"1", "2", "3", "4", "1020"};
    for (const char *id : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(child<QWidget>(&dialog, id), QApplication::focusWidget()) << id;
    }
    // Escape cancels: the working palette is thrown away.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(QDialog::Rejected, dialog.result());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(before, frame_palette(0, 0));
    EXPECT_EQ(0, doc_state().modified);
    EXPECT_EQ(0, doc_state().undo_available);
}

TEST_F(PaletteEditor, OkOnTheFramesOwnPaletteKeepingIndexesChangesNothing)
{
    load_sprite();
    settings().palette_global = 0;
    settings().palette_maintain_index = 1;
    PaletteEditorDialog dialog(palette_editor_settings());
    open(dialog);
    ui.queue_color(std::nullopt); // the colour chooser cancelled
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(1u, ui.color_requests().size());
    child<QPushButton>(&dialog, "1")->click();
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(0, doc_state().modified);
    EXPECT_EQ(0, doc_state().undo_available);
}

TEST_F(PaletteEditor, EnterOnTheOkButtonAppliesToAllFramesByRemapping)
{
    load_sprite();
    settings().palette_global = 1;
    settings().palette_maintain_index = 0;
    const Animation &anim = doc_state().animation;
    ASSERT_GE(anim.groups[0].frame_count, 2);
    PaletteEditorDialog dialog(palette_editor_settings());
    open(dialog);
    dialog.menu_action(40116)->trigger(); // entry 0 deleted: every colour moves down one
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(child<QWidget>(&dialog, "1"), QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    for (int f = 0; f < anim.groups[0].frame_count; ++f) {
        anim_bind_frame(&anim, 0, f);
        EXPECT_EQ(255, host().palette_size()) << f;
    }
}

TEST_F(PaletteEditor, GenerateColormapDialogOpensOnItsDefaultsAndRefusesBadCounts)
{
    ColormapDialog dialog;
    open(dialog);
    EXPECT_EQ("Generate Colormap", dialog.windowTitle());
    auto *count = child<QLineEdit>(&dialog, "1046");
    auto *range = child<QLineEdit>(&dialog, "1031");
    EXPECT_EQ("32", count->text());
    EXPECT_EQ("2", range->text());
    EXPECT_EQ(count, QApplication::focusWidget());
    for (const char *bad : {"257", "-1"}) {
        count->setText(QString::fromLatin1(bad));
        QTest::keyClick(count, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible()) << bad;
    }
    EXPECT_EQ((std::vector<std::string>{"Invalid number of fullbrights, must be 0 - 256",
                                        "Invalid number of fullbrights, must be 0 - 256"}),
              message_texts());
    count->setText(QStringLiteral("16"));
    range->setText(QStringLiteral("1.5"));
    QTest::keyClick(range, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(16, dialog.fullbrights());
    EXPECT_FLOAT_EQ(1.5f, dialog.range());

    // Every opening starts again from 32 and 2.
    ColormapDialog again;
    EXPECT_EQ("32", child<QLineEdit>(&again, "1046")->text());
}

TEST_F(PaletteEditor, TheColourChooserIsQtsOwnWithTheSettingsCustomColours)
{
    int32_t custom[16];
    for (int i = 0; i < 16; ++i)
        custom[i] = 0xFFFFFF;
    custom[0] = 0x000000FF; // red, as 0x00BBGGRR
    custom[3] = 0x00FF0000; // blue
    bool checked = false;
    when_modal([&](QWidget *modal) {
        auto *chooser = qobject_cast<QColorDialog *>(modal);
        ASSERT_NE(nullptr, chooser);
        EXPECT_TRUE(chooser->testOption(QColorDialog::DontUseNativeDialog));
        EXPECT_EQ(QColor(255, 0, 0), QColorDialog::customColor(0));
        EXPECT_EQ(QColor(0, 0, 255), QColorDialog::customColor(3));
        EXPECT_EQ(QColor(0x30, 0x20, 0x10), chooser->currentColor());
        QColorDialog::setCustomColor(5, QColor(1, 2, 3));
        chooser->setCurrentColor(QColor(10, 20, 30));
        checked = true;
        chooser->accept();
    });
    uint32_t color = 0x00102030;
    EXPECT_TRUE(choose_color_dialog(color, custom, nullptr));
    EXPECT_TRUE(checked);
    EXPECT_EQ(0x001E140Au, color);
    EXPECT_EQ(0x00030201, custom[5]);
    EXPECT_EQ(0x000000FF, custom[0]);

    when_modal([](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
    uint32_t kept = 0x00ABCDEF;
    EXPECT_FALSE(choose_color_dialog(kept, custom, nullptr));
    EXPECT_EQ(0x00ABCDEFu, kept);
}

// The editor's own dialogs (palette editor, colour chooser, Generate
// Colormap) with everything else scripted.
class RealPaletteDialogs : public PaletteEditor {
protected:
    class Platform : public BridgePlatform {
    public:
        Platform(ScriptedPlatform &script, QtPlatform &qt) : BridgePlatform(script, qt) {}
        void show_palette_editor() override { dialogs.show_palette_editor(); }
        bool choose_color(uint32_t &color, int32_t *custom_colors) override
        {
            return dialogs.choose_color(color, custom_colors);
        }
        bool ask_colormap_parameters(int32_t &fullbrights, float &range) override
        {
            return dialogs.ask_colormap_parameters(fullbrights, range);
        }
        EditorPlatform dialogs;
    };
    void SetUp() override
    {
        PaletteEditor::SetUp();
        real = std::make_unique<Platform>(ui, *qt);
        set_backends(real.get());
        open_window();
        real->dialogs.attach(window.get(), nullptr, nullptr);
        load_sprite();
    }
    void TearDown() override
    {
        set_backends(bridge.get());
        PaletteEditor::TearDown();
        real.reset();
    }
    std::unique_ptr<Platform> real;
};

TEST_F(RealPaletteDialogs, EditPaletteOpensTheEditorWithTheKeyboardOnTheGrid)
{
    bool seen = false;
    when_modal([&seen](QWidget *modal) {
        EXPECT_EQ("135", modal->objectName());
        EXPECT_EQ("Palette Editor", modal->windowTitle());
        EXPECT_EQ(modal->findChild<QWidget *>("1020"), QApplication::focusWidget());
        seen = true;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    window->command(IDM_EDIT_PALETTE);
    EXPECT_TRUE(seen);
    EXPECT_EQ(nullptr, QApplication::activeModalWidget());
    EXPECT_EQ(0, doc_state().modified);
}

TEST_F(RealPaletteDialogs, TheChoosersCustomColoursGoToTheSettingsFile)
{
    settings().palette_global = 0;
    settings().palette_maintain_index = 1;
    bool chose = false;
    when_modal([&chose](QWidget *modal) {
        auto *editor = qobject_cast<PaletteEditorDialog *>(modal);
        ASSERT_NE(nullptr, editor);
        PaletteGridWidget *grid = editor->grid_widget();
        // The chooser opens over the editor; pick a colour and keep a custom one.
        when_modal([&chose](QWidget *chooser_widget) {
            auto *chooser = qobject_cast<QColorDialog *>(chooser_widget);
            ASSERT_NE(nullptr, chooser);
            EXPECT_EQ(QColor(255, 255, 255), QColorDialog::customColor(2)); // the default white
            QColorDialog::setCustomColor(2, QColor(0x12, 0x34, 0x56));
            chooser->setCurrentColor(QColor(200, 100, 50));
            chose = true;
            chooser->accept();
        });
        QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier, centre_of(grid, 40));
        EXPECT_EQ("R: 200 G: 100 B: 50 A: 255", modal->findChild<QLabel *>("1022")->text());
        EXPECT_EQ(modal, QApplication::activeModalWidget());
        QTest::mouseClick(modal->findChild<QPushButton *>("1"), Qt::LeftButton);
    });
    window->command(IDM_EDIT_PALETTE);
    EXPECT_TRUE(chose);
    EXPECT_EQ(200, frame_palette(0, 0)[40 * 4]);
    EXPECT_EQ(0x00563412, settings().custom_colors[2]);

    const std::string ini = scratch_dir("palette_settings") + "/vorn.ini";
    save_settings_to(ini);
    const std::vector<uint8_t> bytes = read_bytes(ini);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(std::string::npos, text.find("Color3=" + std::to_string(0x00563412))) << text;
    EXPECT_NE(std::string::npos, text.find("PaletteGlobal=0")) << text;
    EXPECT_NE(std::string::npos, text.find("PaletteMaintainIndex=1")) << text;
}

TEST_F(RealPaletteDialogs, GenerateColormapThroughItsDialogWritesTheGeneratorsTable)
{
    const std::string path = scratch_dir("colormap_dialog") + "/colormap.lmp";
    std::vector<uint8_t> colors;
    int refusals = 0;
    when_modal([&](QWidget *modal) {
        auto *editor = qobject_cast<PaletteEditorDialog *>(modal);
        ASSERT_NE(nullptr, editor);
        colors.assign(editor->grid().colors, editor->grid().colors + 1024);
        when_modal([&](QWidget *dialog) {
            EXPECT_EQ("Generate Colormap", dialog->windowTitle());
            auto *count = dialog->findChild<QLineEdit *>("1046");
            ASSERT_NE(nullptr, count);
            for (const char *bad : {"257", "-1"}) {
                count->setText(QString::fromLatin1(bad));
                QTest::keyClick(count, Qt::Key_Return);
                if (dialog->isVisible())
                    ++refusals;
            }
            count->setText(QStringLiteral("24"));
            QTest::keyClick(count, Qt::Key_Return);
        });
        ui.queue_file(path);
        editor->menu_action(IDM_PALETTE_GENERATE_COLORMAP)->trigger();
        editor->reject();
    });
    window->command(IDM_EDIT_PALETTE);
    EXPECT_EQ(2, refusals);
    ASSERT_EQ(1024u, colors.size());
    EXPECT_EQ(generate_colormap(colors.data(), 24, 2.0f), read_bytes(path));
    const std::vector<std::string> filters = ui.dialog_filters();
    ASSERT_EQ(1u, filters.size());
    EXPECT_EQ(std::string("colormap.lmp\0*\0\0", 16), filters[0]);
}

} // namespace
