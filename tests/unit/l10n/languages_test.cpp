#include <gtest/gtest.h>

#include "fake_platform.h"
#include "l10n/languages.h"

using namespace qs::l10n;

TEST(Languages, NameToIdentifier) {
    const struct {
        const char* name;
        const char* lcid;
    } cases[] = {
        {"German", "1031"},      {"GERMAN", "1031"},           {"french", "1036"},
        {"Spanish", "3082"},     {"Chinese (PRC)", "2052"},    {"Portugese (Portugal)", "2070"},
        {"Basque", "1069"},      {"English", "1033"},          {"Klingon", "1033"},
        {"", "1033"},            {"German ", "1033"},          {"Portuguese (Brazil)", "1033"},
    };
    for (const auto& c : cases) EXPECT_EQ(languageToLcid(c.name), c.lcid) << c.name;
}

TEST(Languages, EveryTableNameRoundTrips) {
    qs::test::FakeSystemInfo system;
    std::size_t count = 0;
    const Language* table = knownLanguages(count);
    ASSERT_EQ(count, 35u);
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(languageToLcidNumber(table[i].name), table[i].lcid) << table[i].name;
        EXPECT_EQ(lcidToLanguage(table[i].lcid, system), table[i].name);
    }
}

// Identifiers outside the table go through the system's English language name; the fake
// system knows 2055 and 4108 (German and French variants) and 1091 (Uzbek, not in the table).
TEST(Languages, IdentifierToName) {
    qs::test::FakeSystemInfo system;
    const struct {
        unsigned lcid;
        const char* name;
    } cases[] = {
        {1031, "German"}, {2055, "German"}, {4108, "French"}, {1091, "English"}, {9999, "English"}, {0, "English"},
    };
    for (const auto& c : cases) EXPECT_EQ(lcidToLanguage(c.lcid, system), c.name) << c.lcid;
}

TEST(Languages, SystemLanguageReadsTheHexadecimalIdentifier) {
    const struct {
        const char* text;
        unsigned id;
    } cases[] = {{"0407", 1031}, {"0807", 2055}, {"040c", 1036}, {"040C", 1036}, {"", 0}, {"04x7", 0}, {"10407", 0}};
    for (const auto& c : cases) EXPECT_EQ(parseLanguageId(c.text), c.id) << c.text;

    qs::test::FakeSystemInfo system;
    system.languageId = "0807";
    system.defaultLanguageId = "040c";
    EXPECT_EQ(systemLanguage(system, false), "German");
    EXPECT_EQ(systemLanguage(system, true), "French");
    system.languageId = "";  // unreadable: identifier 0
    EXPECT_EQ(systemLanguage(system, false), "English");
}
