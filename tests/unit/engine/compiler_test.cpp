// The compile pass: one table of scripts with the line and message they fail with.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/compiler.h"
#include "engine/engine_error.h"
#include "script_builder.h"

using namespace qs;
using namespace qs::test;

namespace {

struct Outcome {
    CompileResult result;
    TVariableManager store;
    LabelTable labels;
    ActionStateList actions;
};

void compile(const std::vector<Line>& lines, Outcome& out) {
    GlobalLists lists = buildLists(lines);
    ScriptModel script(lists);
    out.result = compileScript(script, out.store, out.labels, out.actions);
}

struct FailCase {
    const char* what;
    std::vector<Line> lines;
    int line;
    std::string message;
};

const std::string kNotDefined = "Variable not defined: ";
const std::string kTarget =
    "A target folder must be specified for files that are being installed.\rThe value $TARGETDIR$ represents the "
    "destination folder chosen by the user.";
const std::string kExpression =
    "Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the correct syntax.";
constexpr int kUnbalanced = 2147483644;

const std::vector<FailCase> kFailures = {
    // block balance
    {"If without End", {{"If", {"SILENT", "0", "TRUE", "FALSE"}}}, kUnbalanced, "Insufficient END statements"},
    {"End without opener", {{"End", {}}}, kUnbalanced, "Too many END statements"},
    {"a disabled End does not count", {{"If", {"SILENT", "0", "x", "FALSE"}}, off({"End", {}})}, kUnbalanced,
     "Insufficient END statements"},
    {"Wizard Loop opens a block", {{"Wizard Loop", {}}}, kUnbalanced, "Insufficient END statements"},
    {"Label inside a conditional",
     {{"If", {"SILENT", "0", "x", "FALSE"}}, {"Label", {"IN"}}, {"End", {}}},
     1,
     "LABEL statements cannot be nested inside loops/conditionals"},
    {"nested Label reported before the balance", {{"Wizard Loop", {}}, {"Label", {"L"}}}, 1,
     "LABEL statements cannot be nested inside loops/conditionals"},
    // labels
    {"label defined twice, first one disabled", {off({"Label", {"Start"}}), {"Label", {"START"}}}, 1,
     "LABEL re-defined: START"},
    {"GoTo an unknown label", {{"Label", {"A"}}, {"GoTo Label", {"b"}}}, 1, "LABEL undefined: b"},
    // per-line checks
    {"If with empty subject", {{"If", {"", "0", "x", "FALSE"}}, {"End", {}}}, 0, "Variable required"},
    {"If with undefined comparand reference",
     {{"If", {"SILENT", "0", "$NOPE$", "FALSE"}}, {"End", {}}},
     0,
     kNotDefined + "$NOPE$"},
    {"If with undefined subject", {{"If", {"NOPE", "0", "x", "FALSE"}}, {"End", {}}}, 0, kNotDefined + "NOPE"},
    {"If with both undefined reports the comparand",
     {{"If", {"$S$", "0", "$C$", "FALSE"}}, {"End", {}}},
     0,
     kNotDefined + "$C$"},
    {"Else If is checked like If",
     {{"If", {"SILENT", "0", "x", "FALSE"}}, {"Else If", {"GONE", "0", "x", "FALSE"}}, {"End", {}}},
     1,
     kNotDefined + "GONE"},
    {"variable declared by a later line is not yet defined",
     {{"If", {"LATER", "0", "x", "FALSE"}}, {"End", {}}, {"Set Variable", {"LATER", "1"}}},
     0,
     kNotDefined + "LATER"},
    {"Convert Path needs an existing variable", {{"Convert Path", {"NOPE", "0"}}}, 0, kNotDefined + "NOPE"},
    {"Replace String needs an existing variable", {{"Replace String", {"X", "a", "b"}}}, 0, kNotDefined + "X"},
    {"Is MSI Setup Installed needs a variable", {{"Is MSI Setup Installed", {"{GUID}", ""}}}, 0, "Variable required"},
    {"Check Disk Space needs a variable", {{"Check Disk Space", {"", "C:\\"}}}, 0, "Variable required"},
    {"Find All Files needs a variable", {{"Find All Files", {"C:\\", "*.*", "TRUE", ""}}}, 0, "Variable required"},
    {"expression with unparsed text", {{"Evaluate Expression", {"$A$ = \"b\")", "R"}}}, 0, kExpression},
    {"Display Dialog without a name", {{"Display Dialog", {"", "WIZARD", "TRUE", ""}}}, 0,
     "Dialog name not specified"},
    {"Display Dialog bound to an undefined variable",
     {{"Display Dialog", {"Welcome", "WIZARD", "TRUE", "$UNBOUND$"}}},
     0,
     kNotDefined + "$UNBOUND$"},
    {"Delete Files without a mode", {{"Delete Files", {"C:\\x", "*.*", "FALSE", "no"}}}, 0,
     "At least one delete mode must be selected"},
    {"Install Files without a target", {{"Install Files", {"*.*", "", ""}}}, 0, kTarget},
    {"Web Media Block name with a wildcard", {{"Web Media Block", {"C:\\blocks\\a*b", "http://x"}}}, 0,
     "Web Media Block name must be a legal file name"},
    {"Web Media Block without URL", {{"Web Media Block", {"block", ""}}}, 0,
     "Web Media Block must have at least one download URL"},
    {"Web Media Block with both faults reports the URL",
     {{"Web Media Block", {"a|b", ""}}},
     0,
     "Web Media Block must have at least one download URL"},
    {"the first failing line wins",
     {{"Comment", {}}, {"Check Disk Space", {"", ""}}, {"Install Files", {"*", "", ""}}},
     1,
     "Variable required"},
    // wizard loops
    {"statement inside a wizard loop",
     {{"Wizard Loop", {}}, {"Display Dialog", {"A", "WIZARD", "TRUE", ""}}, {"Set Variable", {"X", "1"}}, {"End", {}}},
     2,
     "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP"},
    {"per-line checks come before the wizard loop check",
     {{"Wizard Loop", {}}, {"Set Variable", {"X", "1"}}, {"End", {}}, {"Check Disk Space", {"", ""}}},
     3,
     "Variable required"},
    {"a disabled Wizard Loop does not count in the balance",
     {off({"Wizard Loop", {}}), {"Set Variable", {"X", "1"}}, {"End", {}}, {"Wizard Loop", {}}, {"End", {}}},
     kUnbalanced,
     "Too many END statements"},
    {"the region of a disabled Wizard Loop is checked",
     {off({"Wizard Loop", {}}), {"Set Variable", {"X", "1"}}, off({"End", {}})},
     1,
     "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP"},
};

TEST(Compiler, ReportsTheFirstFailingLineAndMessage) {
    for (const auto& c : kFailures) {
        Outcome out;
        compile(c.lines, out);
        EXPECT_EQ(out.result.failingLine, c.line) << c.what;
        EXPECT_EQ(out.result.message, c.message) << c.what;
    }
}

TEST(Compiler, ValidScriptsPass) {
    const std::vector<std::vector<Line>> scripts = {
        {},
        {{"If", {"SILENT", "0", "plain word", "FALSE"}}, {"Else If", {"$TITLE$", "3", "$SILENT$", "FALSE"}},
         {"Else", {}}, {"End", {}}},
        {off({"Label", {"ONLY"}}), {"GoTo Label", {"only"}}},
        {{"Wizard Loop", {}}, {"Display Dialog", {"A", "WIZARD", "TRUE", ""}}, {"Comment", {"x"}},
         {"Ignore", {}}, off({"Set Variable", {"X", "1"}}), {"End", {}}},
        {{"If", {"SILENT", "0", "x", "FALSE"}}, off({"Label", {"DISABLED INSIDE"}}), {"End", {}}},
        {{"Set Variable", {"MINE", "1"}}, {"Convert Case", {"mine", "0"}}},
        {{"Evaluate Expression", {"$A$ AND $B$", "R"}}, {"If", {"R", "0", "$r$", "FALSE"}}, {"End", {}}},
        {{"Delete Files", {"C:\\x", "*", "-1", ""}}, {"Delete Files", {"C:\\x", "*", "", "true"}}},
        {{"Web Media Block", {"", ""}}, {"Web Media Block", {"C:\\x/y:name.7z", "http://a"}}},
        {{"Display Dialog", {"Welcome", "RESULT", "TRUE", "$RESULT$"}}},
        {{"If", {"SILENT", "0", "x", "FALSE"}}, {"Set Variable", {"X", "1"}}, off({"Wizard Loop", {}}), {"End", {}}},
    };
    for (size_t i = 0; i < scripts.size(); ++i) {
        Outcome out;
        compile(scripts[i], out);
        EXPECT_EQ(out.result.failingLine, -1) << "script " << i << ": " << out.result.message;
        EXPECT_EQ(out.result.message, "Script compiled successfully") << "script " << i;
    }
}

TEST(Compiler, DeclaresWhatTheScriptWrites) {
    Outcome out;
    out.store.add("STALE", "from before");
    compile({{"Set Variable", {"dest$KYRU$KYRU$FALSE", "x"}},
             {"Get Folder Location", {"folder", "26"}},
             {"Read from Text File", {"f", "LINE", "EOF"}},
             {"Parse String", {"s", "x", "left", "right"}},
             {"Mathematics", {"1", "2", "0", "sum"}},
             {"Get IIS Property", {"", "", "", "", "", "$PROP$"}},
             {"Run Program As", {"", "", "", "", "", "", "", "RC"}},
             off({"Get Environment", {"PATH", "NOTDECLARED"}}),
             {"Comment", {"nothing"}}},
            out);
    ASSERT_TRUE(out.result.succeeded()) << out.result.message;
    for (const char* name : {"DEST", "FOLDER", "LINE", "EOF", "LEFT", "RIGHT", "SUM", "PROP", "RC", "TARGETDIR",
                             "KYRU_DISABLEROLLBACK", "SAVEDATA"})
        EXPECT_TRUE(out.store.exists(name)) << name;
    for (const char* name : {"STALE", "NOTDECLARED", "DEST$KYRU$KYRU$FALSE", "$PROP$", "F", "S"})
        EXPECT_FALSE(out.store.exists(name)) << name;
    std::vector<std::string> dump;
    out.store.dump(dump);
    EXPECT_EQ(dump[0], "KYRU_COMPRESSCACHE") << "the engine's own names come first";
}

// Each command declares the variables it writes: parameter N of a line whose parameters are
// named p1 to p8 is declared as PN, and no other parameter is.
TEST(Compiler, EachCommandDeclaresItsResultParameters) {
    const std::vector<std::pair<std::string, std::vector<int>>> table = {
        {"Get Folder Location", {1}}, {"Get INI File Settings", {1}}, {"Check File Version", {1}},
        {"Get System Settings", {1}}, {"Get OS or SP Level", {1}}, {"Read Registry", {1}}, {"Check Registry", {1}},
        {"Does File/Folder Exist", {1}}, {"Get IIS Site List", {1}}, {"Get Temporary File", {1}},
        {"Localization Variable", {1}}, {"Apply Patch", {1}}, {"IIS Anonymous User", {1}}, {"Set Variable", {1}},
        {"Run Light Mode Setup", {2}}, {"Get IIS Site Index", {2}}, {"Get Environment", {2}},
        {"Get File Version", {2}}, {"Apply Changes", {2}}, {"Check Process", {2}}, {"Get Component State", {2}},
        {"Get Component Space", {2}}, {"Extract 7Zip Archive", {3}}, {"Register Library", {3}},
        {"Check Service", {3}}, {"Mathematics", {4}}, {"Run Program", {5}}, {"MessageBox", {5}},
        {"Get IIS Property", {6}}, {"Run Program As", {8}}, {"Read from Text File", {2, 3}},
        {"Parse String", {3, 4}}, {"Is MSI Setup Installed", {2}}, {"Check Disk Space", {1}},
        {"Find All Files", {4}}, {"Comment", {}}, {"Write Registry", {}},
    };
    for (const auto& [command, declared] : table) {
        Outcome out;
        compile({{command, {"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8"}}}, out);
        ASSERT_TRUE(out.result.succeeded()) << command << ": " << out.result.message;
        for (int n = 1; n <= 8; ++n) {
            const bool expected = std::find(declared.begin(), declared.end(), n) != declared.end();
            EXPECT_EQ(out.store.exists("P" + std::to_string(n)), expected) << command << " parameter " << n;
        }
    }
}

// "Set Variable" names flagged TRUE are declared before the checks, so an earlier line may
// refer to them; flagged FALSE they are declared only when their own line is reached.
TEST(Compiler, EarlyDeclarations) {
    Outcome early;
    compile({{"If", {"LATE", "0", "$LATE$", "FALSE"}}, {"End", {}}, {"Set Variable", {"late$KYRU$KYRU$TRUE", "1"}}},
            early);
    EXPECT_TRUE(early.result.succeeded()) << early.result.message;

    Outcome flaggedFalse;
    compile({{"If", {"PROGRESSMODE", "0", "x", "FALSE"}}, {"End", {}},
             {"Set Variable", {"PROGRESSMODE$KYRU$KYRU$FALSE", "1"}},
             {"If", {"X2", "0", "x", "FALSE"}}, {"End", {}}, {"Set Variable", {"X2$KYRU$KYRU$FALSE", "1"}}},
            flaggedFalse);
    EXPECT_EQ(flaggedFalse.result.failingLine, 3) << "PROGRESSMODE is an engine name; X2 is declared only later";
    EXPECT_EQ(flaggedFalse.result.message, "Variable not defined: X2");
}

TEST(Compiler, BuildsLabelsAndActionStates) {
    Outcome out;
    compile({{"Label", {"Start"}},
             {"Install Files", {"*", "", "$TARGETDIR$"}},
             off({"Write Registry", {}}),
             {"Create Shortcut", {}},
             {"Comment", {}},
             off({"Label", {"later"}})},
            out);
    ASSERT_TRUE(out.result.succeeded()) << out.result.message;
    EXPECT_EQ(out.actions, (ActionStateList{"SKIP", "FALSE", "SKIP", "FALSE", "SKIP", "SKIP"}));
    EXPECT_EQ(out.labels.entries(), (std::vector<std::string>{"START", "0", "LATER", "5"}));
    EXPECT_EQ(out.labels.find("start"), 0u);

    LabelTable rebuilt;
    GlobalLists lists = buildLists({{"Comment", {}}, off({"Label", {"x"}}), {"Label", {"Y"}}});
    buildLabelTable(ScriptModel(lists), rebuilt);
    EXPECT_EQ(rebuilt.entries(), (std::vector<std::string>{"X", "1", "Y", "2"}));
}

TEST(Compiler, ParameterPastTheEndOfTheListIsAnError) {
    GlobalLists lists = buildLists({{"If", {"SILENT"}}, {"End", {}}});
    // The last line reads past the list: If reads parameter 3.
    std::swap(lists.commandList[0], lists.commandList[1]);
    std::swap(lists.lineKeyList[0], lists.lineKeyList[1]);
    lists.parameterList = {lists.lineKeyList[1], "SILENT"};
    ScriptModel script(lists);
    TVariableManager store;
    LabelTable labels;
    ActionStateList actions;
    EXPECT_THROW(compileScript(script, store, labels, actions), EngineError);
}

}  // namespace
