// The property editor and Enter Group Name dialogs as the user meets them:
// controls found by their ids, the keyboard alone (tab order, Enter, Escape,
// focus on opening), and the editor's commands opening the real dialogs.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "dialog_helpers.h"
#include "app/editor_platform.h"
#include "app/logic/command_ids.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "document/props.h"
#include "editor_fixture.h"
#include "views/group_name_dialog.h"
#include "views/property_editor_dialog.h"

namespace {

// The control that has the keyboard; an editable combo box's line edit
// counts as the combo box.
QWidget *focused()
{
    QWidget *w = QApplication::focusWidget();
    if (w && qobject_cast<QComboBox *>(w->parentWidget()) && qobject_cast<QLineEdit *>(w))
        return w->parentWidget();
    return w;
}

// The widget that receives typed keys: the focus widget, else `fallback`.
QWidget *key_target(QWidget *fallback)
{
    QWidget *w = QApplication::focusWidget();
    return w ? w : fallback;
}

class PropertyDialogs : public CoreTest {
protected:
    void TearDown() override
    {
        props_clear(&list);
        CoreTest::TearDown();
    }
    void open(PropertyEditorDialog &dialog)
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QCoreApplication::processEvents();
    }
    PropertyList list{};
};

TEST_F(PropertyDialogs, ControlsCarryTheirIdsAndTheAdvancedOnesStartDisabled)
{
    props_set_int(&list, "Origin X", 12, PROPERTY_INTEGER);
    PropertyEditorDialog dialog(&list, "\"torch\" Frame 1 Properties");
    EXPECT_EQ("\"torch\" Frame 1 Properties", dialog.windowTitle());
    auto *advanced = child<QCheckBox>(&dialog, "1039");
    ASSERT_NE(nullptr, advanced);
    EXPECT_EQ("Advanced Edit", advanced->text());
    EXPECT_FALSE(advanced->isChecked());
    const char *advanced_ids[] = {"1042", "1037", "1040", "3", "4"};
    for (const char *id : advanced_ids)
        EXPECT_FALSE(child<QWidget>(&dialog, id)->isEnabled()) << id;
    advanced->click();
    for (const char *id : advanced_ids)
        EXPECT_TRUE(child<QWidget>(&dialog, id)->isEnabled()) << id;
    auto *types = child<QComboBox>(&dialog, "1040");
    ASSERT_EQ(7, types->count());
    EXPECT_EQ("WAD Data Type", types->itemText(5));
    EXPECT_EQ("Half-Life Texture Format", types->itemText(6));
    EXPECT_EQ("12", child<QComboBox>(&dialog, "1041")->currentText());
    EXPECT_EQ("Origin X", child<QListWidget>(&dialog, "1044")->item(0)->text());
    EXPECT_TRUE(child<QPushButton>(&dialog, "1")->isDefault());
}

TEST_F(PropertyDialogs, TabWalksTheControlsInTheDialogsOrder)
{
    PropertyEditorDialog dialog(&list, "File Properties");
    open(dialog);
    child<QCheckBox>(&dialog, "1039")->setChecked(true);
    EXPECT_EQ(child<QWidget>(&dialog, "1044"), focused());
    const char *order[] = {"1041", "1039", "1037", "1040", "3", "4", "1", "2", "1044"};
    for (const char *id : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(child<QWidget>(&dialog, id), focused()) << id;
    }
}

TEST_F(PropertyDialogs, EnterInTheValueFieldStoresTheValueAndCloses)
{
    props_set_int(&list, "Origin X", 3, PROPERTY_INTEGER);
    PropertyEditorDialog dialog(&list, "File Properties");
    open(dialog);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget *value = QApplication::focusWidget();
    QTest::keyClick(value, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(value, "12abc");
    QTest::keyClick(value, Qt::Key_Return);
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(12, props_get_int(&list, "Origin X"));
}

TEST_F(PropertyDialogs, EscapeDropsTheValueBeingTyped)
{
    props_set_int(&list, "Origin X", 3, PROPERTY_INTEGER);
    PropertyEditorDialog dialog(&list, "File Properties");
    open(dialog);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget *value = QApplication::focusWidget();
    QTest::keyClicks(value, "99");
    QTest::keyClick(value, Qt::Key_Escape);
    EXPECT_EQ(QDialog::Rejected, dialog.result());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(3, props_get_int(&list, "Origin X"));
}

TEST_F(PropertyDialogs, AddThroughTheAdvancedControlsAppendsAndSelectsTheFirstRecord)
{
    props_set_int(&list, "Origin X", 3, PROPERTY_INTEGER);
    PropertyEditorDialog dialog(&list, "File Properties");
    open(dialog);
    child<QCheckBox>(&dialog, "1039")->click();
    child<QLineEdit>(&dialog, "1037")->setText("Radius");
    child<QComboBox>(&dialog, "1040")->setCurrentIndex(PROPERTY_FLOAT);
    child<QPushButton>(&dialog, "3")->click();
    auto *names = child<QListWidget>(&dialog, "1044");
    ASSERT_EQ(2, names->count());
    EXPECT_EQ("Radius", names->item(1)->text());
    EXPECT_EQ(0, names->currentRow());
    EXPECT_EQ(PROPERTY_FLOAT, list.records[1].type);
    // Picking the new record shows its value with six decimals.
    names->setCurrentRow(1);
    EXPECT_EQ("0.000000", child<QComboBox>(&dialog, "1041")->currentText());
    // A second Add of the same name is refused.
    child<QLineEdit>(&dialog, "1037")->setText("Radius");
    child<QPushButton>(&dialog, "3")->click();
    EXPECT_EQ(2, list.count);
    EXPECT_EQ(std::vector<std::string>{"A field with this name already exists, remove it first."}, message_texts());
}

TEST_F(PropertyDialogs, PickingAnotherRecordStoresTheEditEvenWhenCancelled)
{
    props_set_int(&list, "Origin X", 3, PROPERTY_INTEGER);
    props_set_int(&list, "Origin Y", 4, PROPERTY_INTEGER);
    PropertyEditorDialog dialog(&list, "File Properties");
    open(dialog);
    child<QComboBox>(&dialog, "1041")->setEditText("30");
    child<QListWidget>(&dialog, "1044")->setCurrentRow(1);
    EXPECT_EQ("4", child<QComboBox>(&dialog, "1041")->currentText());
    EXPECT_EQ("Origin Y", child<QLineEdit>(&dialog, "1037")->text());
    child<QComboBox>(&dialog, "1041")->setEditText("40");
    child<QPushButton>(&dialog, "2")->click();
    EXPECT_EQ(QDialog::Rejected, dialog.result());
    EXPECT_EQ(30, props_get_int(&list, "Origin X"));
    EXPECT_EQ(4, props_get_int(&list, "Origin Y"));
}

TEST_F(PropertyDialogs, PickListTextThatMatchesNoItemStoresMinusOne)
{
    props_set_int(&list, "Synchronous", 0, PROPERTY_BOOLEAN);
    PropertyEditorDialog dialog(&list, "File Properties");
    open(dialog);
    auto *value = child<QComboBox>(&dialog, "1041");
    EXPECT_EQ(2, value->count());
    EXPECT_EQ("No", value->currentText());
    value->setEditText("perhaps");
    child<QPushButton>(&dialog, "1")->click();
    EXPECT_EQ(-1, list.records[0].value.i);
}

TEST_F(PropertyDialogs, ShowPropertyEditorHasTheKeyboardWhenItOpens)
{
    props_set_int(&list, "Origin X", 3, PROPERTY_INTEGER);
    QWidget owner;
    owner.show();
    bool checked = false;
    when_modal([&](QWidget *modal) {
        EXPECT_EQ("111", modal->objectName());
        EXPECT_EQ(modal, QApplication::activeWindow());
        EXPECT_EQ(modal->findChild<QWidget *>("1044"), focused());
        checked = true;
        QTest::keyClick(key_target(modal), Qt::Key_Escape);
    });
    show_property_editor(&list, "File Properties", &owner);
    EXPECT_TRUE(checked);
}

TEST_F(PropertyDialogs, GroupNameOpensSelectedRefusesAnEmptyNameAndReturnsTheTypedOne)
{
    QWidget owner;
    owner.show();
    when_modal([&](QWidget *modal) {
        EXPECT_EQ("Enter Group Name", modal->windowTitle());
        auto *edit = modal->findChild<QLineEdit *>("1030");
        ASSERT_NE(nullptr, edit);
        EXPECT_EQ(edit, QApplication::focusWidget());
        EXPECT_EQ("Group 3", edit->selectedText());
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClick(edit, Qt::Key_Return); // empty: refused, stays open
        EXPECT_TRUE(modal->isVisible());
        QTest::keyClicks(edit, "walk");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    std::string name;
    EXPECT_TRUE(ask_group_name("Group 3", name, &owner));
    EXPECT_EQ("walk", name);
    EXPECT_EQ(std::vector<std::string>{"Invalid name"}, message_texts());

    when_modal([](QWidget *modal) { QTest::keyClick(key_target(modal), Qt::Key_Escape); });
    name = "unchanged";
    EXPECT_FALSE(ask_group_name("Group 3", name, &owner));
    EXPECT_EQ("unchanged", name);
}

// The toolbar's property buttons follow their commands' conditions and
// open the editor on the right list.
class PropertyButtons : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        open_window();
    }
};

TEST_F(PropertyButtons, FilePropertiesIsAlwaysOnAndFramePropertiesNeedsAFrame)
{
    QAction *file = window->toolbar_action(IDM_FILE_PROPERTIES);
    QAction *frame = window->toolbar_action(IDM_FRAME_PROPERTIES);
    EXPECT_TRUE(file->isEnabled());
    EXPECT_FALSE(frame->isEnabled());
    EXPECT_FALSE(window->menu_action(IDM_GROUP_PROPERTIES)->isEnabled());
    ui.queue_property_edit([](PropertyList *l) { props_set_string(l, "Author", "me"); });
    file->trigger();
    EXPECT_STREQ("me", props_get_string(&doc_state().animation.props, "Author"));

    ui.queue_answer(true); // drop the edited document
    window->start_load(data_path("spr/firedguns_animfx.spr"));
    wait_for_file_operation();
    EXPECT_TRUE(frame->isEnabled());
    EXPECT_TRUE(window->menu_action(IDM_GROUP_MOVE_UP)->isEnabled());
    EXPECT_TRUE(window->menu_action(IDM_PROPAGATE_TO_GROUP)->isEnabled());
    ui.queue_property_edit([](PropertyList *l) { props_set_int(l, "Origin X", 1, PROPERTY_INTEGER); });
    frame->trigger();
    EXPECT_EQ(std::vector<std::string>({"File Properties", "\"Group 0\" Frame 1 Properties"}),
              ui.property_editor_titles());
    EXPECT_EQ(1, props_get_int(&doc_state().animation.groups[0].frames[0].props, "Origin X"));
    EXPECT_EQ("Vorn - " + data_path("spr/firedguns_animfx.spr") + "* [100%]", title());

    // Group 1 has one frame: nothing to propagate to.
    window->group_selector()->setCurrentIndex(1);
    EXPECT_FALSE(window->menu_action(IDM_PROPAGATE_TO_GROUP)->isEnabled());
    EXPECT_TRUE(window->menu_action(IDM_FRAME_PROPERTIES)->isEnabled());
}

// The main window's commands with the editor's own dialogs.
class RealDialogs : public EditorTest {
protected:
    class Platform : public BridgePlatform {
    public:
        using BridgePlatform::BridgePlatform;
        bool ask_group_name(const std::string &initial, std::string &name) override
        {
            return dialogs.ask_group_name(initial, name);
        }
        void show_property_editor(PropertyList *list, const std::string &title) override
        {
            dialogs.show_property_editor(list, title);
        }
        EditorPlatform dialogs;
    };
    void SetUp() override
    {
        EditorTest::SetUp();
        real = std::make_unique<Platform>(ui, *qt);
        set_backends(real.get());
        open_window();
        real->dialogs.attach(window.get(), nullptr, nullptr);
        window->start_load(data_path("spr/librequake_s_explod.spr"));
        wait_for_file_operation();
    }
    void TearDown() override
    {
        set_backends(bridge.get());
        EditorTest::TearDown();
        real.reset();
    }
    std::unique_ptr<Platform> real;
};

TEST_F(RealDialogs, FramePropertiesEditsTheFrameAndUndoRevertsIt)
{
    window->command(IDM_NEXT);
    when_modal([](QWidget *modal) {
        EXPECT_EQ("\"[no group]\" Frame 2 Properties", modal->windowTitle());
        auto *value = modal->findChild<QComboBox *>("1041");
        auto *names = modal->findChild<QListWidget *>("1044");
        ASSERT_NE(nullptr, names);
        const auto found = names->findItems("Origin X", Qt::MatchExactly);
        ASSERT_EQ(1, found.size());
        names->setCurrentItem(found[0]);
        value->setEditText("-40");
        QTest::keyClick(value->lineEdit(), Qt::Key_Return);
    });
    window->command(IDM_FRAME_PROPERTIES);
    const Frame &frame = doc_state().animation.groups[0].frames[1];
    EXPECT_EQ(-40, props_get_int(&frame.props, "Origin X"));
    EXPECT_TRUE(doc_state().modified);
    window->command(IDM_UNDO);
    EXPECT_NE(-40, props_get_int(&doc_state().animation.groups[0].frames[1].props, "Origin X"));
}

// Escape takes back even a value already stored by moving away from it, and
// OK on what the editor shows changes nothing: neither marks the document
// nor adds a step to its history.
TEST_F(RealDialogs, FramePropertiesClosedWithEscapeOrUnchangedLeavesNoMarkAndNoHistory)
{
    const auto origin_x = [] { return props_get_int(&doc_state().animation.groups[0].frames[0].props, "Origin X"); };
    const int before = origin_x();
    when_modal([](QWidget *modal) {
        auto *names = child<QListWidget>(modal, "1044");
        const auto found = names->findItems("Origin X", Qt::MatchExactly);
        ASSERT_EQ(1, found.size());
        names->setCurrentItem(found[0]);
        child<QComboBox>(modal, "1041")->setEditText("-40");
        names->setCurrentRow(names->row(found[0]) == 0 ? 1 : 0);
        QTest::keyClick(key_target(modal), Qt::Key_Escape);
    });
    window->command(IDM_FRAME_PROPERTIES);
    EXPECT_EQ(before, origin_x());

    when_modal([](QWidget *modal) { QTest::keyClick(key_target(modal), Qt::Key_Return); });
    window->command(IDM_FRAME_PROPERTIES);
    EXPECT_EQ(before, origin_x());
    EXPECT_FALSE(doc_state().modified);
    EXPECT_FALSE(doc_state().undo_available);
    EXPECT_EQ(std::string::npos, title().find('*'));
}

TEST_F(RealDialogs, GroupsAddThroughTheDialogAppendsTheGroup)
{
    when_modal([](QWidget *modal) {
        auto *edit = modal->findChild<QLineEdit *>("1030");
        ASSERT_NE(nullptr, edit);
        EXPECT_EQ("Group 1", edit->text());
        QTest::keyClick(edit, Qt::Key_Return);
    });
    window->command(IDM_GROUP_ADD);
    ASSERT_EQ(2, doc_state().animation.group_count);
    EXPECT_STREQ("Group 1", doc_state().animation.groups[1].name);
    EXPECT_EQ(2, window->group_selector()->count());
    EXPECT_TRUE(window->menu_action(IDM_GROUP_MOVE_DOWN)->isEnabled());
}

} // namespace
