// Reading the global lists appended to the engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bootstrap/global_lists.h"

using qs::GlobalLists;
using qs::readGlobalLists;
using Strings = std::vector<std::string>;

namespace {

// Joins lines with CR LF, each line ended.
std::string lines(const Strings& l) {
    std::string s;
    for (const std::string& x : l) s += x + "\r\n";
    return s;
}

// A complete package text: one script line with two parameters, every group filled.
Strings fullLists() {
    return {
        "Set Variable", "$",                                          // 0 commands
        "{11111111-2222-3333-4444-555555555555}", "$",                // 1 line keys
        "{11111111-2222-3333-4444-555555555555}", "NAME", "$DOLLAR$", "$",  // 2 parameters
        "C", "$",                                                     // 3 disabled
        "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}", "Title", "Plug A", "Plug B", "$",  // 4
        "Co", "Me", "help", "upd", "note", "1.2", "offline", "3A", "$",  // 5
        "OFFLINE\\", "$",                                              // 6 media paths
        "2", "Main", "100", "$",                                       // 7
        "{99999999-8888-7777-6666-555555555555}", "OFFLINE", "x\\a.txt", "OFFLINE\\D\\", "$",  // 8
        "TRUE", "German", "A1B2C3D4", "0", "$",                        // 9
        "LOCMODE", "VARSONLY", "$",                                    // 10
        "1252", "setup.qss*4", "$",                                    // 11
    };
}

}  // namespace

TEST(GlobalLists, ReadsEveryGroupOfACompletePackage) {
    GlobalLists g = readGlobalLists(lines(fullLists()));
    EXPECT_EQ(g.commandList, Strings{"Set Variable"});
    EXPECT_EQ(g.lineKeyList, Strings{"{11111111-2222-3333-4444-555555555555}"});
    EXPECT_EQ(g.parameterList, (Strings{"{11111111-2222-3333-4444-555555555555}", "NAME", "$"}));
    EXPECT_EQ(g.disabledList, Strings{"C"});
    EXPECT_EQ(g.productCode, "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}");
    EXPECT_EQ(g.productTitle, "Title");
    EXPECT_EQ(g.pluginList, (Strings{"Plug A", "Plug B"}));
    EXPECT_EQ(g.company, "Co");
    EXPECT_EQ(g.contact, "Me");
    EXPECT_EQ(g.helpLink, "help");
    EXPECT_EQ(g.updateInfoLink, "upd");
    EXPECT_EQ(g.comments, "note");
    EXPECT_EQ(g.productVersion, "1.2");
    EXPECT_EQ(g.blockPasswords, (Strings{"offline", "3A"}));
    EXPECT_EQ(g.mediaPathList, Strings{"OFFLINE\\"});
    EXPECT_EQ(g.buildMode, 2);
    EXPECT_EQ(g.componentSizes, (Strings{"Main", "100"}));
    EXPECT_EQ(g.packageCode, "{99999999-8888-7777-6666-555555555555}");
    EXPECT_EQ(g.mediaFileMap, (Strings{"OFFLINE", "x\\a.txt", "OFFLINE\\D\\"}));
    EXPECT_TRUE(g.languageDialog);
    EXPECT_EQ(g.defaultLanguage, "German");
    EXPECT_EQ(g.commandHeaders, (Strings{"A1B2C3D4", "0"}));
    EXPECT_EQ(g.constants, (Strings{"LOCMODE", "VARSONLY"}));
    EXPECT_EQ(g.codePage, 1252);
    EXPECT_EQ(g.sourcePositions, Strings{"setup.qss*4"});
}

// The end of the data ends the group being read; every later group is empty.
TEST(GlobalLists, TruncatedDataLeavesLaterGroupsEmpty) {
    struct Case {
        const char* name;
        size_t keepLines;  // lines of fullLists() kept
        size_t commands, keys, parameters;
        std::string title;
        std::string company, version;
        int buildMode;
        int codePage;
    };
    const Case cases[] = {
        {"empty text", 0, 0, 0, 0, "", "", "", 0, 0},
        {"inside the command list", 1, 1, 0, 0, "", "", "", 0, 0},
        {"inside the parameter list", 6, 1, 1, 2, "", "", "", 0, 0},
        {"after the product code", 11, 1, 1, 3, "", "", "", 0, 0},
        {"after the contact", 17, 1, 1, 3, "Title", "Co", "", 0, 0},
        {"before the code page group", 43, 1, 1, 3, "Title", "Co", "1.2", 2, 0},
        {"without the last terminator", 45, 1, 1, 3, "Title", "Co", "1.2", 2, 1252},
    };
    const Strings full = fullLists();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GlobalLists g = readGlobalLists(lines(Strings(full.begin(), full.begin() + c.keepLines)));
        EXPECT_EQ(g.commandList.size(), c.commands);
        EXPECT_EQ(g.lineKeyList.size(), c.keys);
        EXPECT_EQ(g.parameterList.size(), c.parameters);
        EXPECT_EQ(g.productTitle, c.title);
        EXPECT_EQ(g.company, c.company);
        EXPECT_EQ(g.productVersion, c.version);
        EXPECT_EQ(g.buildMode, c.buildMode);
        EXPECT_EQ(g.codePage, c.codePage);
        EXPECT_EQ(g.sourcePositions.size(), c.keepLines >= 45 ? 1u : 0u);
        EXPECT_EQ(g.constants.size(), c.keepLines >= 42 ? 2u : 0u);
        if (c.keepLines <= 17) {
            EXPECT_TRUE(g.blockPasswords.empty());
            EXPECT_TRUE(g.mediaPathList.empty());
            EXPECT_FALSE(g.languageDialog);
        }
    }
}

TEST(GlobalLists, TruncatedInsideAGroupKeepsWhatWasRead) {
    // The text stops after two single values of group 5: they stay, the rest is empty.
    Strings l = {"$", "$", "$", "$", "{P}", "T", "$", "Co", "Me"};
    GlobalLists g = readGlobalLists(lines(l));
    EXPECT_EQ(g.company, "Co");
    EXPECT_EQ(g.contact, "Me");
    EXPECT_EQ(g.helpLink, "");
    EXPECT_TRUE(g.blockPasswords.empty());
    EXPECT_TRUE(g.mediaPathList.empty());
}

TEST(GlobalLists, GroupsWithFewerSingleValuesThanTheMost) {
    // Group 5 with three of its six values, group 9 with only the switch, group 4 empty.
    Strings l = {"$", "$", "$", "$", "$", "Co", "Me", "help", "$", "$", "1", "$", "{K}", "$", "TRUE", "$", "$", "$"};
    GlobalLists g = readGlobalLists(lines(l));
    EXPECT_EQ(g.productCode, "");
    EXPECT_EQ(g.productTitle, "");
    EXPECT_TRUE(g.pluginList.empty());
    EXPECT_EQ(g.company, "Co");
    EXPECT_EQ(g.contact, "Me");
    EXPECT_EQ(g.helpLink, "help");
    EXPECT_EQ(g.updateInfoLink, "");
    EXPECT_EQ(g.productVersion, "");
    EXPECT_TRUE(g.blockPasswords.empty());
    EXPECT_EQ(g.buildMode, 1);
    EXPECT_EQ(g.packageCode, "{K}");
    EXPECT_TRUE(g.languageDialog);
    EXPECT_EQ(g.defaultLanguage, "");
    EXPECT_TRUE(g.commandHeaders.empty());
    EXPECT_EQ(g.codePage, 0);
}

TEST(GlobalLists, EmptyScriptHasEmptyListsAndDefaults) {
    Strings l(12, "$");
    GlobalLists g = readGlobalLists(lines(l));
    EXPECT_TRUE(g.commandList.empty());
    EXPECT_TRUE(g.parameterList.empty());
    EXPECT_TRUE(g.sourcePositions.empty());
    EXPECT_EQ(g.buildMode, 0);
    EXPECT_FALSE(g.languageDialog);
}

// Only whole parameter entries are unescaped, ignoring case; other lists keep the text.
TEST(GlobalLists, DollarEscapesInTheParameterList) {
    struct Case {
        const char* written;
        const char* read;
    };
    const Case cases[] = {
        {"$DOLLAR$", "$"},
        {"$dollar$", "$"},
        {"$WILD_DOLLAR$", "$"},
        {"$Wild_Dollar$", "$"},
        {"a$DOLLAR$", "a$DOLLAR$"},
        {"$DOLLAR$ ", "$DOLLAR$ "},
        {" $DOLLAR$", " $DOLLAR$"},
        {"$DOLLAR$$DOLLAR$", "$DOLLAR$$DOLLAR$"},
        {"$WILD_DOLLAR$x", "$WILD_DOLLAR$x"},
        {"5$ or 6$", "5$ or 6$"},
        {"$$", "$$"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        Strings l = {"X", "$", "{K}", "$", "{K}", c.written, "$", "$", "$DOLLAR$", "$"};
        GlobalLists g = readGlobalLists(lines(l));
        ASSERT_EQ(g.parameterList.size(), 2u);
        EXPECT_EQ(g.parameterList[1], c.read);
        EXPECT_EQ(g.productCode, "$DOLLAR$");  // not a parameter: kept as written
    }
}

TEST(GlobalLists, LineBreaks) {
    struct Case {
        const char* name;
        std::string text;
        Strings commands;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb\r\n$\r\n", {"a", "b"}},
        {"missing final line break", "a\r\nb\r\n$", {"a", "b"}},
        {"LF only", "a\nb\n$\n", {"a", "b"}},
        {"empty lines are entries", "\r\n\r\n$\r\n", {"", ""}},
        {"blanks are kept", " a \r\n$\r\n", {" a "}},
        {"a line that only starts with $", "$x\r\n $\r\n$\r\n", {"$x", " $"}},
        {"truncated without line break", "a\r\nb", {"a", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readGlobalLists(c.text).commandList, c.commands);
    }
}

TEST(GlobalLists, LanguageDialogIsOnOnlyForExactlyTRUE) {
    const std::pair<const char*, bool> cases[] = {{"TRUE", true}, {"true", false}, {"-1", false}, {"TRUE ", false}};
    for (const auto& [text, on] : cases) {
        SCOPED_TRACE(text);
        Strings l = {"$", "$", "$", "$", "$", "$", "$", "$", "$", text, "$"};
        EXPECT_EQ(readGlobalLists(lines(l)).languageDialog, on);
    }
}

TEST(GlobalLists, NumberLinesMustBeDecimal) {
    Strings good = {"$", "$", "$", "$", "$", "$", "$", " 3 ", "$", "$", "$", "$", "-1", "$"};
    GlobalLists g = readGlobalLists(lines(good));
    EXPECT_EQ(g.buildMode, 3);
    EXPECT_EQ(g.codePage, -1);
    for (const char* bad : {"", "x", "12a", "99999999999", "-"}) {
        SCOPED_TRACE(bad);
        Strings l = {"$", "$", "$", "$", "$", "$", "$", bad, "$"};
        EXPECT_THROW(readGlobalLists(lines(l)), qs::GlobalListsError);
    }
}
