// The variable store and the engine's variable operations.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/engine.h"
#include "engine/variables.h"
#include "fake_platform.h"

using namespace qs;

namespace {

TEST(VariableStore, MissingDiffersFromEmptyAndNamesIgnoreAsciiCaseOnly) {
    TVariableManager store;
    EXPECT_FALSE(store.exists("A"));
    EXPECT_EQ(store.get("A"), "");
    EXPECT_FALSE(store.exists("A")) << "reading must not create";
    EXPECT_FALSE(store.find("A").has_value());

    store.add("Empty", "");
    EXPECT_TRUE(store.exists("EMPTY"));
    ASSERT_TRUE(store.find("empty").has_value());
    EXPECT_EQ(*store.find("empty"), "");

    store.add("\xC4pfel", "1");  // only a-z fold: this is not the same name as "\xE4pfel"
    EXPECT_TRUE(store.exists("\xC4PFEL"));
    EXPECT_FALSE(store.exists("\xE4pfel"));
}

TEST(VariableStore, DumpsInTableOrderWithFirstSpelling) {
    TVariableManager store;
    store.add("Zeta", "1");
    store.add("alpha", "2");
    store.set("ZETA", "3");  // overwrite keeps place and spelling
    EXPECT_FALSE(store.addIfMissing("ALPHA", "x"));
    EXPECT_TRUE(store.addIfMissing("mid", "4"));
    std::vector<std::string> list = {"stale"};
    store.dump(list);
    EXPECT_EQ(list, (std::vector<std::string>{"Zeta", "3", "alpha", "2", "mid", "4"}));
    store.clear();
    store.dump(list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(store.size(), 0u);
}

// Workers write progress while the main thread reads and expands: every operation must see a
// whole value, never a torn one.
TEST(VariableStore, ConcurrentWritersAndExpandersSeeWholeValues) {
    TVariableManager store;
    store.add("P", "0");
    std::atomic<bool> stop{false};
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < 20000; ++i) {
                store.set("P", std::string(static_cast<size_t>(i % 50), static_cast<char>('a' + w)));
                store.add("W" + std::to_string(w) + "_" + std::to_string(i % 100), "v");
            }
        });
    std::thread reader([&] {
        while (!stop) {
            std::string v = store.expand("[$P$]");
            ASSERT_GE(v.size(), 2u);
            std::string inner = v.substr(1, v.size() - 2);
            if (inner.empty() || inner == "0") continue;
            EXPECT_EQ(inner, std::string(inner.size(), inner[0])) << "torn value";
        }
    });
    for (auto& t : writers) t.join();
    stop = true;
    reader.join();
    EXPECT_EQ(store.size(), 1u + 200u);
}

struct EngineFixture : ::testing::Test {
    test::FakePlatform fake;
    Engine engine{fake.platform};
};

// In silent mode a variable given on the command line keeps its value against the script;
// only the override context may change it. Without silent mode the script wins.
TEST_F(EngineFixture, CommandLineOverridesAreProtectedOnlyInSilentMode) {
    struct Case {
        bool silent;
        const char* name;
        const char* context;
        const char* expected;
    };
    const Case cases[] = {
        {true, "targetdir", "Set Variable Action", "C:\\App"},
        {true, "TARGETDIR", "Bootstrap", "C:\\App"},
        {true, "TargetDir", "Inject Override Command Line", "D:\\Script"},
        {true, "OTHER", "Set Variable Action", "D:\\Script"},
        {false, "targetdir", "Set Variable Action", "D:\\Script"},
    };
    for (const auto& c : cases) {
        engine.variables.clear();
        engine.options.silent = c.silent;
        engine.options.overrides = {"TARGETDIR", "C:\\App"};
        engine.variables.add("TARGETDIR", "C:\\App");
        engine.variables.add("OTHER", "");
        assignVariable(engine, c.name, "D:\\Script", c.context);
        const std::string name = std::string(c.name) == "OTHER" ? "OTHER" : "TARGETDIR";
        EXPECT_EQ(getVariable(engine, name), c.expected) << c.name << " / " << c.context << " silent=" << c.silent;
    }
}

TEST_F(EngineFixture, DeclareAddsMissingAndAssignsExisting) {
    engine.options.silent = true;
    engine.options.overrides = {"LOCKED", "cmd"};
    declareVariable(engine, "", "x", "Compilation");
    EXPECT_EQ(engine.variables.size(), 0u) << "an empty name declares nothing";
    declareVariable(engine, "LOCKED", "script", "Set Variable Action");
    EXPECT_EQ(getVariable(engine, "LOCKED"), "script") << "a new variable is added even when overridden";
    declareVariable(engine, "locked", "again", "Set Variable Action");
    EXPECT_EQ(getVariable(engine, "LOCKED"), "script") << "an existing one follows the override rule";
    declareVariable(engine, "FREE", "1", "Set Variable Action");
    declareVariable(engine, "free", "2", "Set Variable Action");
    EXPECT_EQ(getVariable(engine, "FREE"), "2");
}

TEST_F(EngineFixture, ReferenceValueReadsBothFormsExpanded) {
    engine.variables.add("NAME", "$INNER$!");
    engine.variables.add("INNER", "in");
    engine.variables.add("$ODD", "odd");
    struct Case {
        const char* reference;
        const char* value;
        const char* marked;
    };
    const Case cases[] = {
        {"NAME", "in!", "in!"},      {"$NAME$", "in!", "in!"},       {"name", "in!", "in!"},
        {"MISSING", "", "$KYRUNX$"}, {"$MISSING$", "", "$KYRUNX$"},  {"$ODD", "odd", "odd"},
        {"$NA$ME$", "", "$KYRUNX$"}, {"", "", "$KYRUNX$"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(referenceValue(engine, c.reference), c.value) << c.reference;
        EXPECT_EQ(referenceValueOrMarker(engine, c.reference), c.marked) << c.reference;
    }
}

TEST_F(EngineFixture, ExpandPathFoldsDoubledBackslashesAndKeepsNetworkPaths) {
    engine.variables.add("TARGETDIR", "C:\\Program Files\\App\\");
    engine.variables.add("SHARE", "\\\\server\\share\\");
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"$TARGETDIR$\\bin", "C:\\Program Files\\App\\bin"},
        {"C:\\\\a\\\\\\b", "C:\\a\\\\b"},
        {"$SHARE$\\x", "\\\\server\\share\\x"},
        {"\\\\host\\\\dir", "\\\\host\\dir"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) EXPECT_EQ(expandPath(engine, c.text), c.expected) << c.text;
}

TEST(VariableTexts, NewlineEscapesRoundTrip) {
    EXPECT_EQ(newlinesToText("a\r\nb\nc\r"), "a$NEWLINE$b\nc\r");
    EXPECT_EQ(textToNewlines("a$newline$b$NEWLINE$$NewLine"), "a\r\nb\r\n$NewLine");
    EXPECT_EQ(textToNewlines(newlinesToText("x\r\n\r\ny")), "x\r\n\r\ny");
}

TEST(VariableTexts, BooleanTexts) {
    for (const char* t : {"TRUE", "true", "True", "-1"}) EXPECT_TRUE(toBoolean(t)) << t;
    for (const char* t : {"FALSE", "", "1", "yes", " TRUE", "-1 ", "TRUE."}) EXPECT_FALSE(toBoolean(t)) << t;
    EXPECT_EQ(fromBoolean(true), "TRUE");
    EXPECT_EQ(fromBoolean(false), "FALSE");
}

TEST_F(EngineFixture, ExpandConstantsUsesThePackageList) {
    engine.lists.constants = {"SINGLEINSTANCE", "TRUE", "LOCMODE", ""};
    EXPECT_EQ(expandConstants(engine, "#SingleInstance#/#LOCMODE#/#X#"), "TRUE//#X#");
}

}  // namespace
