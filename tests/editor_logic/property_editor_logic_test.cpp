// The property editor's rules without its widgets: parsing of the value
// texts, the store-then-show sync, Add and Remove.
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "document/props.h"
#include "support/test_support.h"
#include "views/logic/group_name_logic.h"
#include "views/logic/property_editor_logic.h"

namespace {

TEST(PropertyValueText, IntegersAreTheirLeadingDigits)
{
    struct Case {
        const char *text;
        int value;
    };
    const Case cases[] = {
        {"12abc", 12},         {"  -7", -7},       {"+15", 15},          {"abc", 0},
        {"", 0},               {"- 5", 0},         {"\t42 43", 42},      {"007", 7},
        {"99999999999", std::numeric_limits<int>::max()},
        {"-99999999999", std::numeric_limits<int>::min()},
        {"-2147483648", std::numeric_limits<int>::min()},
        {"1.9", 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.value, parse_integer_text(c.text)) << '"' << c.text << '"';
}

TEST(PropertyValueText, FloatsAreTheLongestDecimalPrefix)
{
    struct Case {
        const char *text;
        float value;
    };
    const Case cases[] = {
        {"1e3", 1000.0f}, {"0.5", 0.5f},    {" -.25e1x", -2.5f}, {"abc", 0.0f}, {"", 0.0f},
        {"1e", 1.0f},     {"3.5,7", 3.5f},  {"+2.", 2.0f},       {".", 0.0f},   {"1e-999", 0.0f},
        {"inf", 0.0f},    {"0x10", 0.0f},   {"12abc", 12.0f},
    };
    for (const Case &c : cases)
        EXPECT_FLOAT_EQ(c.value, parse_float_text(c.text)) << '"' << c.text << '"';
    EXPECT_TRUE(std::isinf(parse_float_text("1e999")));
    EXPECT_TRUE(std::isinf(parse_float_text("-1e300")));
    EXPECT_LT(parse_float_text("-1e300"), 0.0f);
}

TEST(PropertyValueText, FloatsShowSixDecimalsAndLongTextIsCutAtACharacter)
{
    EXPECT_EQ("0.500000", format_float_value(0.5f));
    EXPECT_EQ("-1000.000000", format_float_value(-1000.0f));
    EXPECT_EQ(std::string(259, 'x'), property_text_taken(std::string(300, 'x')));
    // 258 ASCII bytes then a two-byte character: it would be cut in half.
    EXPECT_EQ(std::string(258, 'x'), property_text_taken(std::string(258, 'x') + "\xc3\xa9" + "yz"));
}

class PropertyEditorLogic : public CoreTest {
protected:
    void TearDown() override
    {
        props_clear(&list);
        CoreTest::TearDown();
    }
    // The user picks row `row` of the list box.
    void select(int row)
    {
        editor.fields.selected = row;
        property_editor_sync(editor);
    }
    void type(const std::string &text) { property_editor_type_value(editor, text); }
    const Property &record(int i) const { return list.records[i]; }

    PropertyList list{};
    PropertyEditor editor;
};

TEST_F(PropertyEditorLogic, OpeningOnAnEmptyListShowsNothingAndOkStoresNothing)
{
    property_editor_open(editor, &list);
    EXPECT_TRUE(editor.fields.names.empty());
    EXPECT_EQ(-1, editor.fields.selected);
    EXPECT_EQ("", editor.fields.value_text);
    type("12");
    property_editor_sync(editor); // OK
    EXPECT_EQ(0, list.count);
}

TEST_F(PropertyEditorLogic, OpeningShowsTheFirstRecordByItsType)
{
    props_set_float(&list, "Radius", 0.5f);
    props_set_int(&list, "Origin X", 3, PROPERTY_INTEGER);
    property_editor_open(editor, &list);
    EXPECT_EQ((std::vector<std::string>{"Radius", "Origin X"}), editor.fields.names);
    EXPECT_EQ(0, editor.fields.selected);
    EXPECT_EQ("0.500000", editor.fields.value_text);
    EXPECT_EQ("Radius", editor.fields.name_text);
    EXPECT_EQ(PROPERTY_FLOAT, editor.fields.type_index);
    EXPECT_TRUE(editor.fields.value_items.empty());
}

TEST_F(PropertyEditorLogic, IntegerAndFloatTextsAreStoredAsNumbers)
{
    props_set_int(&list, "Origin X", 3, PROPERTY_INTEGER);
    props_set_float(&list, "Radius", 0.5f);
    property_editor_open(editor, &list);
    type("12abc");
    select(1); // stores Origin X, shows Radius
    EXPECT_EQ(12, record(0).value.i);
    type("1e3");
    property_editor_sync(editor); // OK
    EXPECT_EQ(PROPERTY_FLOAT, record(1).type);
    EXPECT_FLOAT_EQ(1000.0f, record(1).value.f);
}

TEST_F(PropertyEditorLogic, SelectingAnotherRecordStoresTheEditAtOnce)
{
    props_set_string(&list, "Name", "old");
    props_set_int(&list, "Origin Y", 1, PROPERTY_INTEGER);
    property_editor_open(editor, &list);
    type("new text");
    select(1);
    type("77"); // then Cancel: nothing more is stored here (the dialog puts the list back)
    EXPECT_STREQ("new text", record(0).value.s);
    EXPECT_EQ(1, record(1).value.i);
}

// Values whose text does not carry them exactly (more than six decimals, a
// Boolean of 5, a type outside its list) stay as they are when the user
// only looks at them, so OK on an untouched list changes nothing.
TEST_F(PropertyEditorLogic, ValuesLeftAsShownAreNotRewritten)
{
    props_set_float(&list, "Duration", 0.1234567f);
    props_set_int(&list, "Synchronous", 5, PROPERTY_BOOLEAN);
    props_set_int(&list, "Type", 7, PROPERTY_SPRITE_TYPE);
    props_set_int(&list, "Entry Type", 9, PROPERTY_WAD_TYPE);
    PropertyList before{};
    props_copy(&list, &before);
    property_editor_open(editor, &list);
    for (int row = 1; row < 4; ++row)
        select(row);
    select(0);
    property_editor_sync(editor); // OK
    EXPECT_TRUE(property_lists_same(list, before));
    EXPECT_EQ(5, record(1).value.i);
    EXPECT_EQ(9, record(3).value.i);
    type("0.5"); // a real edit still counts
    property_editor_sync(editor);
    EXPECT_FALSE(property_lists_same(list, before));
    props_clear(&before);
}

TEST_F(PropertyEditorLogic, PickListsSelectTheStoredItemAndUnmatchedTextStoresMinusOne)
{
    props_set_int(&list, "Synchronous", 5, PROPERTY_BOOLEAN);
    props_set_int(&list, "Type", 3, PROPERTY_SPRITE_TYPE);
    props_set_int(&list, "Entry Type", 9, PROPERTY_WAD_TYPE);
    property_editor_open(editor, &list);
    EXPECT_EQ((std::vector<std::string>{"No", "Yes"}), editor.fields.value_items);
    EXPECT_EQ(1, editor.fields.value_item); // any non-zero value is "Yes"
    EXPECT_EQ("Yes", editor.fields.value_text);

    type("maybe");
    select(1);
    EXPECT_EQ(-1, record(0).value.i);
    EXPECT_EQ(3, editor.fields.value_item);
    EXPECT_EQ("Oriented", editor.fields.value_text);
    type("Facing Upright"); // typed exactly: that item
    select(2);
    EXPECT_EQ(1, record(1).value.i);
    // A WAD type outside its list selects nothing.
    EXPECT_EQ(6u, editor.fields.value_items.size()); // the four kinds, "Other" and the font
    EXPECT_EQ(-1, editor.fields.value_item);
    EXPECT_EQ("", editor.fields.value_text);

    select(0); // -1 shows as "Yes"
    EXPECT_EQ("Yes", editor.fields.value_text);
    EXPECT_EQ(PROPERTY_BOOLEAN, record(0).type);
}

TEST_F(PropertyEditorLogic, AddAppendsAZeroRecordOfTheChosenTypeAndSelectsTheFirstAgain)
{
    props_set_int(&list, "Origin X", 4, PROPERTY_INTEGER);
    props_set_int(&list, "Origin Y", 2, PROPERTY_INTEGER);
    property_editor_open(editor, &list);
    select(1);
    type("9"); // the value being edited is stored by the refill
    struct Case {
        const char *name;
        int type;
    };
    const Case cases[] = {{"Radius", PROPERTY_FLOAT}, {"Note", PROPERTY_STRING}, {"Flag", PROPERTY_BOOLEAN},
                          {"Kind", PROPERTY_WAD_TYPE}};
    for (const Case &c : cases) {
        editor.fields.name_text = c.name;
        editor.fields.type_index = c.type;
        EXPECT_TRUE(property_editor_add(editor)) << c.name;
        EXPECT_EQ(0, editor.fields.selected);
        EXPECT_EQ("Origin X", editor.fields.name_text);
    }
    EXPECT_EQ(9, record(1).value.i);
    ASSERT_EQ(6, list.count);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_STREQ(cases[i].name, record(2 + static_cast<int>(i)).name);
        EXPECT_EQ(cases[i].type, record(2 + static_cast<int>(i)).type);
    }
    EXPECT_FLOAT_EQ(0.0f, record(2).value.f);
    EXPECT_STREQ("", record(3).value.s);
    EXPECT_EQ(0, record(4).value.i);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(PropertyEditorLogic, AddOfAnExistingNameIsRefusedButAnotherCaseIsAccepted)
{
    props_set_float(&list, "Duration", 0.1f);
    property_editor_open(editor, &list);
    editor.fields.name_text = "Duration";
    EXPECT_FALSE(property_editor_add(editor));
    ASSERT_EQ(1u, ui.messages().size());
    EXPECT_EQ(PROPERTY_EXISTS_MESSAGE, ui.messages()[0].text);
    EXPECT_EQ(MessageIcon::Warning, ui.messages()[0].icon);
    EXPECT_EQ(1, list.count);
    editor.fields.name_text = "duration";
    EXPECT_TRUE(property_editor_add(editor));
    EXPECT_EQ(2, list.count);
}

TEST_F(PropertyEditorLogic, RemovingTheFirstOfTwoLeavesTheSecondShownSelected)
{
    props_set_int(&list, "Origin X", 12, PROPERTY_INTEGER);
    props_set_int(&list, "Origin Y", 5, PROPERTY_INTEGER);
    property_editor_open(editor, &list);
    type("300"); // dropped with its record
    ui.queue_answer(false);
    property_editor_remove(editor);
    EXPECT_EQ(2, list.count);
    EXPECT_EQ(300, record(0).value.i); // No: refilled, which stores the edit
    ui.queue_answer(true);
    property_editor_remove(editor);
    EXPECT_EQ((std::vector<std::string>{PROPERTY_REMOVE_QUESTION, PROPERTY_REMOVE_QUESTION}), ui.questions());
    ASSERT_EQ(1, list.count);
    EXPECT_STREQ("Origin Y", record(0).name);
    EXPECT_EQ(5, record(0).value.i);
    EXPECT_EQ(0, editor.fields.selected);
    EXPECT_EQ("5", editor.fields.value_text);
}

TEST_F(PropertyEditorLogic, RemoveWithNothingShownAsksNothing)
{
    property_editor_open(editor, &list);
    property_editor_remove(editor);
    EXPECT_TRUE(ui.questions().empty());
}

TEST_F(PropertyEditorLogic, TheTypeSelectorAndTheNameFieldNeverChangeTheShownRecord)
{
    props_set_int(&list, "Origin X", 12, PROPERTY_INTEGER);
    props_set_float(&list, "Radius", 1.0f);
    property_editor_open(editor, &list);
    editor.fields.advanced = true;
    editor.fields.type_index = PROPERTY_STRING;
    editor.fields.name_text = "Renamed";
    select(1);
    EXPECT_STREQ("Origin X", record(0).name);
    EXPECT_EQ(PROPERTY_INTEGER, record(0).type);
    EXPECT_EQ(12, record(0).value.i);
    EXPECT_EQ(PROPERTY_FLOAT, editor.fields.type_index); // shows Radius's type now
}

TEST_F(PropertyEditorLogic, LongStringValuesAreCutToTheBuffer)
{
    props_set_string(&list, "Note", "");
    property_editor_open(editor, &list);
    type(std::string(1000, 'n'));
    property_editor_sync(editor);
    EXPECT_EQ(259u, std::strlen(record(0).value.s));
}

TEST_F(PropertyEditorLogic, AnEmptyGroupNameIsRefused)
{
    EXPECT_TRUE(group_name_accept("walk"));
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(group_name_accept(""));
    ASSERT_EQ(1u, ui.messages().size());
    EXPECT_EQ("Invalid name", ui.messages()[0].text);
}

} // namespace
