#include <gtest/gtest.h>

#include "l10n/message_table.h"

using qs::l10n::MessageTable;

namespace {

// A 115-line section whose line n reads prefix + n.
std::string section(const std::string& prefix, int lines = MessageTable::kSectionLines) {
    std::string s;
    for (int n = 1; n <= lines; ++n) s += prefix + std::to_string(n) + "\r\n";
    return s;
}

}  // namespace

TEST(MessageTable, EnglishDefaults) {
    MessageTable t;
    EXPECT_EQ(t.text(2), "Setup resource not found");
    EXPECT_EQ(t.text(5), "Runtime error in install: ");
    EXPECT_EQ(t.text(27), " Proxy Information (optional) ");
    EXPECT_EQ(t.text(54), "");
    EXPECT_EQ(t.text(90), "Please select the language to use during the installation:");
    EXPECT_EQ(t.text(100), "");  // reserved
    EXPECT_EQ(t.text(112), "Unable to play Flash movie");
    EXPECT_EQ(t.text(115), "Entire feature will be &unavailable");
}

TEST(MessageTable, FirstSectionReplacesAllTextsAndSkipsReservedLines) {
    MessageTable t;
    t.load(section("d"), "German");
    EXPECT_EQ(t.text(1), "d1");
    EXPECT_EQ(t.text(90), "d90");
    EXPECT_EQ(t.text(112), "d112");
    EXPECT_EQ(t.text(115), "d115");
}

TEST(MessageTable, NamedSectionOfTheSystemLanguageWinsAndEndsReading) {
    MessageTable t;
    t.load(section("d") + "French\r\n" + section("f") + "GERMAN\r\n" + section("g") + "Italian\r\n" + section("i"),
           "German");
    EXPECT_EQ(t.text(3), "g3");
    EXPECT_EQ(t.text(113), "g113");
}

TEST(MessageTable, WithoutAMatchTheLastSectionReadStays) {
    MessageTable t;
    t.load(section("d") + "French\r\n" + section("f"), "Greek");
    EXPECT_EQ(t.text(3), "f3");
}

TEST(MessageTable, FileEndingInsideASectionKeepsWhatWasRead) {
    MessageTable t;
    t.load(section("d", 10), "German");
    EXPECT_EQ(t.text(10), "d10");
    EXPECT_EQ(t.text(11), "Copying: ");
    EXPECT_EQ(t.text(20), "Runtime error in setup script:");
}
