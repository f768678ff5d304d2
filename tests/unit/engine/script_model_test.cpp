// Lines, parameters, command headers and variable references of the script model.
#include <gtest/gtest.h>

#include <cctype>

#include "engine/engine_error.h"
#include "engine/script_model.h"
#include "script_builder.h"

using namespace qs;
using namespace qs::test;

namespace {

TEST(ScriptModel, LinePartsByIndex) {
    GlobalLists lists = buildLists({{"Comment", {"hello"}}, off({"Set Variable", {"A", "1"}}), {"End", {}}});
    lists.mediaPathList[1] = "OFFLINE\\";
    lists.sourcePositions[2] = "C:\\src\\main.qss*41";
    lists.disabledList[0] = "c";  // only an exact "C" disables
    ScriptModel script(lists);
    ASSERT_EQ(script.lineCount(), 3u);
    EXPECT_EQ(script.lineCommand(1), "Set Variable");
    EXPECT_EQ(script.lineKey(2), lineKeyFor(2));
    EXPECT_FALSE(script.isDisabled(0));
    EXPECT_TRUE(script.isDisabled(1));
    EXPECT_EQ(script.mediaPath(1), "OFFLINE\\");
    EXPECT_EQ(script.sourcePosition(2).file, "C:\\src\\main.qss");
    EXPECT_EQ(script.sourcePosition(2).line, 41);
    EXPECT_EQ(script.sourcePositionText(2), "C:\\src\\main.qss*41");
    // Outside the script: empty parts, no fault.
    EXPECT_EQ(script.lineCommand(3), "");
    EXPECT_FALSE(script.isDisabled(99));
    EXPECT_EQ(script.sourcePosition(99).line, -1);
}

TEST(ScriptModel, ParametersByLineKey) {
    GlobalLists lists = buildLists({{"Set Variable", {"A", "1"}}, {"Wizard Loop", {}}, {"Set Variable", {"B", ""}}});
    // The key search ignores case, and the first occurrence wins.
    lists.parameterList.push_back(lineKeyFor(0));
    lists.parameterList.push_back("shadowed");
    ScriptModel script(lists);
    EXPECT_EQ(script.parameter(lineKeyFor(0), 0), lineKeyFor(0)) << "parameter 0 is the key";
    EXPECT_EQ(script.lineParameter(0, 1), "A");
    EXPECT_EQ(script.lineParameter(0, 2), "1");
    EXPECT_EQ(script.lineParameter(0, 3), lineKeyFor(2)) << "nothing marks the end of a block";
    std::string lower = lineKeyFor(2);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(script.parameter(lower, 1), "B");
    EXPECT_EQ(script.lineParameter(1, 1), "") << "a line without a block has empty parameters";
    EXPECT_EQ(script.lineParameter(1, 7), "");
    EXPECT_EQ(script.lineParameter(2, 2), "");
}

// The first occurrence of a key anywhere in the list starts its block, whatever the order of
// the blocks; lines that share a key (any case) share its block.
TEST(ScriptModel, FirstOccurrenceOfTheKeyWinsInAnyOrder) {
    GlobalLists lists = buildLists({{"Comment", {}}, {"Comment", {}}, {"Comment", {}}, {"Comment", {}}});
    std::string sharedKey = lineKeyFor(3);
    for (char& c : sharedKey) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    lists.lineKeyList[2] = sharedKey;  // line 2 repeats line 3's key in another case
    lists.parameterList = {lineKeyFor(1), "one", lineKeyFor(0),  "zero", "zero b",
                           lineKeyFor(3), "three", lineKeyFor(1), "captured"};
    ScriptModel script(lists);
    EXPECT_EQ(script.lineParameter(0, 1), "zero");
    EXPECT_EQ(script.lineParameter(0, 3), lineKeyFor(3));
    EXPECT_EQ(script.lineParameter(1, 1), "one") << "blocks need not follow the line order";
    EXPECT_EQ(script.lineParameter(2, 1), "three");
    EXPECT_EQ(script.lineParameter(3, 1), "three");
    EXPECT_EQ(script.parameter(lineKeyFor(1), 2), lineKeyFor(0));
    EXPECT_EQ(script.parameter("zero B", 1), lineKeyFor(3)) << "a text that is no line key is found too";
    EXPECT_EQ(script.parameter("{NOT-A-KEY}", 1), "");
}

// Damaged lists: fewer line keys than commands, an empty key. Such lines have no parameters.
TEST(ScriptModel, LinesWithoutKeysHaveNoParameters) {
    GlobalLists lists = buildLists({{"Comment", {"a"}}, {"Comment", {}}, {"Comment", {}}});
    lists.lineKeyList[1] = "";
    lists.lineKeyList.pop_back();
    lists.parameterList.push_back("");
    lists.parameterList.push_back("after empty");
    ScriptModel script(lists);
    EXPECT_EQ(script.lineParameter(0, 1), "a");
    EXPECT_EQ(script.lineParameter(1, 1), "");
    EXPECT_EQ(script.lineParameter(2, 1), "");
    EXPECT_EQ(script.parameter("", 1), "");
}

TEST(ScriptModel, ParameterPastTheEndOfTheListIsAnError) {
    GlobalLists lists = buildLists({{"Set Variable", {"A", "1"}}});
    ScriptModel script(lists);
    EXPECT_EQ(script.lineParameter(0, 2), "1");
    EXPECT_THROW(script.lineParameter(0, 3), EngineError);
    EXPECT_THROW(script.lineParameter(0, static_cast<size_t>(-1)), EngineError);
}

TEST(ScriptModel, LaterParameterListsAreSearchedInOrder) {
    GlobalLists lists = buildLists({{"Comment", {"first"}}, {"Comment", {}}});
    std::vector<std::string> more = {lineKeyFor(0), "second", lineKeyFor(1), "only here"};
    ScriptModel script(lists);
    script.addParameterList(more);
    EXPECT_EQ(script.lineParameter(0, 1), "first");
    EXPECT_EQ(script.lineParameter(1, 1), "only here");
}

TEST(ScriptModel, CommandHeaders) {
    GlobalLists lists = buildLists({{"Comment", {}}, {"Install Files", {}}, {"Write Registry", {}}, {"Comment", {}}});
    // Pairs of header and decimal line index. The header "3" reads like a line index but is not one.
    lists.commandHeaders = {"A1B2C3D4", "1", "3", "2", "E0000001", "1"};
    ScriptModel script(lists);
    EXPECT_EQ(script.commandHeader(1), "A1B2C3D4") << "first pair wins";
    EXPECT_EQ(script.commandHeader(2), "3");
    try {
        script.commandHeader(3);
        FAIL() << "line 3 has no header";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "Unable to obtain command headers. Please rebuild your project.");
    }
    EXPECT_EQ(script.commandHeader(3, true), "");
    EXPECT_EQ(script.commandHeader(0, true), "");
}

TEST(ScriptModel, VariableReferenceDefined) {
    TVariableManager store;
    store.add("KNOWN", "x");
    struct Case {
        const char* text;
        bool literal;
        bool defined;
    };
    const Case cases[] = {
        {"KNOWN", false, true},    {"$KNOWN$", false, true},  {"known", false, true},
        {"OTHER", false, false},   {"$OTHER$", false, false}, {"", false, false},
        {"plain word", true, true}, {"$OTHER$", true, false}, {"$KNOWN$", true, true},
        {"$a$b$", true, true},  // not the enclosed form: a literal
        {"", true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isVariableReferenceDefined(store, c.text, c.literal), c.defined) << c.text << " literal=" << c.literal;
}

}  // namespace
