#include <cstring>

#include <gtest/gtest.h>

#include "document/props.h"

namespace {

struct PropsTest : ::testing::Test {
    PropertyList list{};
    void TearDown() override { props_clear(&list); }
};

TEST_F(PropsTest, FindIsOneBasedAndZeroWhenAbsent)
{
    EXPECT_EQ(props_find(&list, "Radius"), 0);
    props_set_int(&list, "Origin X", 1, PROPERTY_INTEGER);
    props_set_int(&list, "Origin Y", 2, PROPERTY_INTEGER);
    EXPECT_EQ(props_find(&list, "Origin X"), 1);
    EXPECT_EQ(props_find(&list, "Origin Y"), 2);
    EXPECT_EQ(props_get_int(&list, "missing"), 0);
    EXPECT_EQ(props_get_float(&list, "missing"), 0.0f);
}

TEST_F(PropsTest, ReplaceKeepsPositionAndAppendsNewNames)
{
    props_set_int(&list, "Origin X", 3, PROPERTY_INTEGER);
    props_set_float(&list, "Duration", 0.5f);
    props_set_int(&list, "Origin X", 7, PROPERTY_INTEGER);
    ASSERT_EQ(list.count, 2);
    EXPECT_STREQ(list.records[0].name, "Origin X");
    EXPECT_EQ(list.records[0].value.i, 7);
    EXPECT_STREQ(list.records[1].name, "Duration");
}

TEST_F(PropsTest, TypeChangeFreesTheOldString)
{
    // Under the sanitizer build a leaked or doubly freed string fails here.
    props_set_string(&list, "Note", "first text");
    props_set_string(&list, "Note", "second text");
    EXPECT_STREQ(props_get_string(&list, "Note"), "second text");
    props_set_int(&list, "Note", 5, PROPERTY_WAD_TYPE);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.records[0].type, PROPERTY_WAD_TYPE);
    EXPECT_EQ(props_get_int(&list, "Note"), 5);
    EXPECT_EQ(props_get_string(&list, "Note"), nullptr);
    props_set_float(&list, "Note", 2.5f);
    EXPECT_EQ(list.records[0].type, PROPERTY_FLOAT);
    EXPECT_FLOAT_EQ(props_get_float(&list, "Note"), 2.5f);
}

TEST_F(PropsTest, SettingAStringFromItsOwnValueIsSafe)
{
    props_set_string(&list, "Name", "keep me");
    props_set_string(&list, "Name", list.records[0].value.s);
    EXPECT_STREQ(props_get_string(&list, "Name"), "keep me");
}

TEST_F(PropsTest, NamesAreCaseSensitive)
{
    props_set_float(&list, "Duration", 1.0f);
    props_set_float(&list, "duration", 2.0f);
    EXPECT_EQ(list.count, 2);
    EXPECT_FLOAT_EQ(props_get_float(&list, "Duration"), 1.0f);
    EXPECT_FLOAT_EQ(props_get_float(&list, "duration"), 2.0f);
}

TEST_F(PropsTest, CopyKeepsAllSixTypesInOrderAndOwnsItsStrings)
{
    props_set_int(&list, "i", -4, PROPERTY_INTEGER);
    props_set_float(&list, "f", 0.25f);
    props_set_string(&list, "s", "text");
    props_set_int(&list, "b", 1, PROPERTY_BOOLEAN);
    props_set_int(&list, "o", 4, PROPERTY_SPRITE_TYPE);
    props_set_int(&list, "w", 3, PROPERTY_WAD_TYPE);

    PropertyList copy{};
    props_set_int(&copy, "stale", 9, PROPERTY_INTEGER);
    props_copy(&list, &copy);
    ASSERT_EQ(copy.count, 6);
    const int types[] = {0, 1, 2, 3, 4, 5};
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(copy.records[i].name, list.records[i].name);
        EXPECT_EQ(copy.records[i].type, types[i]);
    }
    EXPECT_EQ(props_find(&copy, "stale"), 0);
    EXPECT_NE(copy.records[2].value.s, list.records[2].value.s);
    EXPECT_STREQ(copy.records[2].value.s, "text");
    EXPECT_EQ(copy.records[0].value.i, -4);
    EXPECT_EQ(copy.records[4].value.i, 4);
    props_clear(&copy);
}

TEST_F(PropsTest, CopyOntoItselfChangesNothing)
{
    props_set_string(&list, "s", "text");
    props_set_int(&list, "i", 1, PROPERTY_INTEGER);
    props_copy(&list, &list);
    ASSERT_EQ(list.count, 2);
    EXPECT_STREQ(props_get_string(&list, "s"), "text");
}

TEST_F(PropsTest, CopySkipsUnknownTypeCodes)
{
    props_set_int(&list, "odd", 1, 42);
    props_set_int(&list, "fine", 2, PROPERTY_INTEGER);
    PropertyList copy{};
    props_copy(&list, &copy);
    ASSERT_EQ(copy.count, 1);
    EXPECT_STREQ(copy.records[0].name, "fine");
    props_clear(&copy);
}

TEST_F(PropsTest, RemoveMovesLaterRecordsDown)
{
    props_set_string(&list, "a", "x");
    props_set_int(&list, "b", 2, PROPERTY_INTEGER);
    props_set_string(&list, "c", "z");
    props_remove(&list, 0);
    ASSERT_EQ(list.count, 2);
    EXPECT_STREQ(list.records[0].name, "b");
    EXPECT_STREQ(list.records[1].name, "c");
    EXPECT_STREQ(list.records[1].value.s, "z");
    props_remove(&list, 5); // out of range: ignored
    EXPECT_EQ(list.count, 2);
}

TEST_F(PropsTest, RemovingTheOnlyRecordLeavesAnUsableEmptyList)
{
    props_set_float(&list, "Duration", 0.1f);
    props_remove(&list, 0);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(props_find(&list, "Duration"), 0);
    props_set_float(&list, "Duration", 0.3f);
    EXPECT_EQ(props_find(&list, "Duration"), 1);
    EXPECT_FLOAT_EQ(props_get_float(&list, "Duration"), 0.3f);
}

TEST_F(PropsTest, LongestNameIsKeptWhole)
{
    std::string name(259, 'n');
    props_set_int(&list, name.c_str(), 1, PROPERTY_INTEGER);
    EXPECT_EQ(std::strlen(list.records[0].name), 259u);
    EXPECT_EQ(props_find(&list, name.c_str()), 1);
}

} // namespace
