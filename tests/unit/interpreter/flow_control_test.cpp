// Conditional chains, jumps and wizard loops, as a script sees them: which lines run, and that
// the open-branch count is balanced again when the script ends.
#include "interpreter_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

struct FlowCase {
    const char* name;
    std::vector<Line> lines;
    const char* log;
};

// A and B are "1"; every chain shows which of its branches ran.
std::vector<Line> withAB(std::vector<Line> lines) {
    lines.insert(lines.begin(), {setVar("A", "1"), setVar("B", "1")});
    return lines;
}

TEST_F(InterpreterTest, ConditionalChainsRunOneBranch) {
    const FlowCase cases[] = {
        {"false if skips to its end, then the first true branch of a chain runs",
         withAB({ifEquals("A", "0"), record("skipped"), endLine(), ifEquals("A", "1"), record("if"),
                 elseIfEquals("B", "1"), record("elseif"), endLine(), record("after")}),
         "if after "},
        {"only the first true else-if runs",
         withAB({ifEquals("A", "0"), record("if"), elseIfEquals("A", "1"), record("first"), elseIfEquals("B", "1"),
                 record("second"), {"Else", {}}, record("else"), endLine(), record("after")}),
         "first after "},
        {"else runs when nothing else did",
         withAB({ifEquals("A", "0"), record("if"), elseIfEquals("B", "0"), record("elseif"), {"Else", {}},
                 record("else"), endLine(), record("after")}),
         "else after "},
        {"a true if skips its else",
         withAB({ifEquals("A", "1"), record("if"), {"Else", {}}, record("else"), endLine(), record("after")}),
         "if after "},
        {"a skipped region passes over nested chains",
         withAB({ifEquals("A", "0"), ifEquals("B", "1"), record("inner"), {"Else", {}}, record("inner-else"),
                 endLine(), {"Else", {}}, record("outer-else"), endLine(), record("after")}),
         "outer-else after "},
        {"nested chains inside a running branch",
         withAB({ifEquals("A", "1"), ifEquals("B", "0"), record("no"), elseIfEquals("B", "1"), record("inner"),
                 endLine(), record("outer"), {"Else", {}}, record("else"), endLine(), record("after")}),
         "inner outer after "},
        {"a disabled End inside a skipped region does not close the block",
         withAB({ifEquals("A", "0"), record("skipped"), off(endLine()), record("still skipped"), endLine(),
                 record("after")}),
         "after "},
        {"disabled and Ignore lines are passed over, also by the skip",
         withAB({ifEquals("A", "0"), {"Ignore", {}}, off({"Else", {}}), record("skipped"), {"Else", {}},
                 off(record("disabled")), record("else"), endLine(), record("after")}),
         "else after "},
        {"a wizard loop counts as a block for the skip",
         withAB({ifEquals("A", "0"), {"Wizard Loop", {}}, dialog("Page"), endLine(),
                 {"Else", {}}, record("else"), endLine(), record("after")}),
         "else after "},
    };
    for (const FlowCase& c : cases) {
        SCOPED_TRACE(c.name);
        engine.variables.clear();
        engine.run = RunState();
        EXPECT_EQ(run(c.lines), c.log);
        EXPECT_EQ(engine.run.flow.openBranches, 0) << "every branch entered is closed once";
        EXPECT_FALSE(engine.run.flow.leavingLoop);
    }
}

// A jump out of a running branch leaves the branch open; the count is reset so the chains
// that run after the jump keep it balanced.
TEST_F(InterpreterTest, GoToLabelResetsTheBranchCount) {
    const std::string log = run({setVar("N", "0"),
                                 {"Label", {"top"}},
                                 ifEquals("N", "1"),
                                 record("second pass"),
                                 {"GoTo Label", {"OUT"}},
                                 endLine(),
                                 ifEquals("N", "0"),
                                 ifEquals("N", "0"),
                                 setVar("N", "1"),
                                 {"GoTo Label", {"Top"}},
                                 endLine(),
                                 endLine(),
                                 {"Label", {"out"}},
                                 ifEquals("N", "1"),
                                 record("after"),
                                 elseIfEquals("N", "1"),
                                 record("wrong: a branch already ran"),
                                 endLine()});
    EXPECT_EQ(log, "second pass after ");
    EXPECT_EQ(engine.run.flow.openBranches, 0);
}

struct WizardCase {
    const char* results;  // the pages' answers, in order
    const char* log;
    const char* wizard;   // the result variable after the loop
};

TEST_F(InterpreterTest, WizardLoopsMoveByTheDialogResults) {
    const WizardCase cases[] = {
        {"NEXT,NEXT", "D1 D2 after ", "NEXT"},
        {"BACK", "D1 after ", "BACK"},                        // back on the first page leaves the loop
        {"NEXT,BACK,NEXT,NEXT", "D1 D2 D1 D2 after ", "NEXT"},
        {"NEXT,CANCEL", "D1 D2 after ", "CANCEL"},            // cancel leaves the loop at its End
        {"CANCEL", "D1 after ", "CANCEL"},
        {"", "D1 D2 after ", ""},                              // no result: the direction stays
        {"NEXT,BACK,OTHER", "D1 D2 D1 after ", "OTHER"},      // another result keeps the direction
    };
    for (const WizardCase& c : cases) {
        SCOPED_TRACE(c.results);
        engine.variables.clear();
        engine.run = RunState();
        engine.options.overrides = {"RESULTS", c.results};
        const std::string log = run({ifEquals("SILENT", "FALSE"),
                                     {"Wizard Loop", {}},
                                     dialog("1"),
                                     {"Comment", {"between the pages"}},
                                     off(dialog("disabled")),
                                     dialog("2"),
                                     endLine(),
                                     record("after"),
                                     endLine()});
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(engine.variables.get("WIZARD"), c.wizard);
        EXPECT_EQ(engine.run.flow.openBranches, 0) << "the loop's End does not close the enclosing branch";
        EXPECT_FALSE(engine.run.flow.inWizardLoop);
        EXPECT_FALSE(engine.run.flow.leavingLoop);
    }
}

TEST_F(InterpreterTest, ScriptCanTestTheLastDialogResultAfterTheLoop) {
    engine.options.overrides = {"RESULTS", "BACK,NEXT"};
    const std::string log = run({{"Label", {"AGAIN"}},
                                 {"Wizard Loop", {}},
                                 dialog("1"),
                                 endLine(),
                                 ifEquals("WIZARD", "BACK"),
                                 {"GoTo Label", {"again"}},
                                 endLine(),
                                 record("done")});
    EXPECT_EQ(log, "D1 D1 done ");
}

}  // namespace
