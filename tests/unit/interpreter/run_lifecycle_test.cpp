// The run around the lines: preparation, dispatch rules, the refresh before every line, the
// runtime-error report, the script end and the removable-media exit.
#include <algorithm>

#include "commands/expression_commands.h"
#include "engine/variables.h"
#include "interpreter_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

const std::string kLog = "C:\\Logs\\trace.txt";
const std::string kRunOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\";

bool has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(InterpreterTest, ScriptEndTracesItsElementsInOrder) {
    engine.options.logPath = kLog;
    engine.trace.setPath(kLog);
    run({record("one")});
    EXPECT_EQ(traceLines(kLog),
              (std::vector<std::string>{"    <Variables>", "    </Variables>", "    <CompileScript>",
                                        "    </CompileScript>", "    <BootStrap>", "    </BootStrap>", "    <kyru>",
                                        "    </kyru>", "    <ExitScript>", "    </ExitScript>"}));
}

TEST_F(InterpreterTest, PreparationSetsUpTheRun) {
    engine.installerPlatform.platform = installer::InstallerPlatform::X64;
    engine.lists.productCode = "{1A2B3C4D-0000-0000-0000-000000000000}";
    for (auto root : {platform::RegistryRoot::CurrentUser, platform::RegistryRoot::LocalMachine}) {
        fake.registry.strings[FakeRegistry::at(root, kRunOnce, "1A2B3C4D")] = "C:\\old\\setup.exe";
        fake.registry.strings[FakeRegistry::at(root, kRunOnce, "Other")] = "keep";
    }
    engine.options.silent = true;
    engine.options.overrides = {"wizard", "FROM-COMMAND-LINE"};
    run({record("$WIZARD$")});
    EXPECT_EQ(engine.installerPlatform.platform, installer::InstallerPlatform::Win32);
    EXPECT_EQ(engine.run.rootFolder, "C:\\Pkg\\");
    for (auto root : {platform::RegistryRoot::CurrentUser, platform::RegistryRoot::LocalMachine}) {
        EXPECT_EQ(fake.registry.strings.count(FakeRegistry::at(root, kRunOnce, "1A2B3C4D")), 0u) << "resume entry";
        EXPECT_EQ(fake.registry.strings.count(FakeRegistry::at(root, kRunOnce, "Other")), 1u);
    }
    EXPECT_EQ(engine.variables.get("LOG"), "FROM-COMMAND-LINE ") << "overrides come after the initial values";
    EXPECT_EQ(engine.variables.get("KYRU_thMax"), "100");
}

// Without a database or patch the run stops before the "Initialization" variables; a patch
// beside the (missing) database is enough.
TEST_F(InterpreterTest, RunNeedsTheDatabaseOrAPatch) {
    struct Case {
        bool msi;
        bool msp;
        bool runs;
    };
    for (const Case c : {Case{false, false, false}, Case{false, true, true}, Case{true, false, true}}) {
        SCOPED_TRACE(std::to_string(c.msi) + std::to_string(c.msp));
        fake.files.files.clear();
        engine.variables.clear();
        if (c.msi) fake.files.addFile(engine.msiFile(), "msi");
        if (c.msp) fake.files.addFile("C:\\Temp\\yib1\\setup.msp", "msp");
        EXPECT_EQ(run({record("ran")}), c.runs ? "ran " : "");
        EXPECT_EQ(engine.variables.exists("WIZARD"), c.runs);
    }
}

// Records "locked" or "free": whether the single-instance lock file exists while lines run.
void probeLockCommand(Engine& e, int) {
    const bool locked = e.platform.files.fileExists(e.temporaryFolder + e.lists.packageCode + ".yib");
    e.variables.set("LOG", e.variables.get("LOG") + (locked ? "locked " : "free "));
}

TEST_F(InterpreterTest, SingleInstanceLockIsHeldForTheRun) {
    CommandTable commands = testCommands();
    commands.add("Probe", probeLockCommand);
    interpreter = Interpreter(commands);
    engine.lists.constants = {"SINGLEINSTANCE", "TRUE"};
    engine.lists.packageCode = "{PKG}";
    const std::string lock = "C:\\Temp\\{PKG}.yib";
    EXPECT_EQ(run({{"Probe", {}}}), "locked ");
    EXPECT_FALSE(fake.files.has(lock)) << "the exit cleanup deletes it";

    fake.files.addFile(lock, "");
    engine.variables.clear();
    EXPECT_EQ(run({{"Probe", {}}}), "") << "another run holds the lock";
    EXPECT_TRUE(fake.files.has(lock)) << "the other run's lock stays";

    fake.files.deleteFile(lock);
    engine.lists.constants = {"SINGLEINSTANCE", "FALSE"};
    engine.variables.clear();
    EXPECT_EQ(run({{"Probe", {}}}), "free ") << "without the constant there is no lock";
}

// Dispatch: the plug-in list comes first, names compare case-sensitively, and lines without a
// handler, comments and labels do nothing.
TEST_F(InterpreterTest, DispatchByExactNameWithPluginsFirst) {
    engine.lists.pluginList = {"Fail"};
    EXPECT_EQ(run({{"Fail", {"a plug-in of that name runs instead"}},
                   {"record", {"lower case is another name"}},
                   {"No Such Command", {}},
                   {"Comment", {"x"}},
                   {"Label", {"L"}},
                   {"Ignore", {}},
                   record("end")}),
              "end ");
    EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

TEST_F(InterpreterTest, HandlerCanEndTheScript) {
    engine.options.logPath = kLog;
    EXPECT_EQ(run({record("before"), {"Stop", {}}, record("after")}), "before ");
    EXPECT_TRUE(has(traceLines(kLog), "    </ExitScript>"));
}

// Before every line: ABORT follows the cancel state, DATE and TIME are set anew, the setup
// caption follows TITLE and KYRULOGO, the silent flag follows SILENT.
TEST_F(InterpreterTest, EngineValuesAreRefreshedBeforeEveryLine) {
    engine.lists.productTitle = "Demo";
    run({record("$ABORT$"), setVar("KYRU_IsCancelled", "TRUE"), record("$ABORT$"), setVar("KYRU_IsCancelled", "-1"),
         record("$ABORT$"), setVar("KYRU_IsCancelled", "no"), record("$ABORT$"), setVar("TIME", "stale"),
         record("$TIME$"), setVar("SILENT", "TRUE"), setVar("KYRULOGO", "TRUE"), setVar("TITLE", "Branded"),
         record("x")});
    EXPECT_EQ(engine.variables.get("LOG"), "FALSE TRUE TRUE FALSE 11:56:08 AM x ");
    EXPECT_TRUE(engine.options.silent);
    EXPECT_EQ(engine.setupCaption(), "Branded");
    engine.run.logo = false;
    EXPECT_EQ(engine.setupCaption(), "Branded - Quillset Wizard");
    engine.run.captionTitle.clear();
    EXPECT_EQ(engine.setupCaption(), "Quillset Wizard");
}

// Pending window messages are processed before the lines 0, 314, 628, ... are fetched.
TEST_F(InterpreterTest, MessagesArePumpedEvery314Lines) {
    std::vector<Line> lines(700, Line{"Comment", {"c"}});
    std::vector<size_t> pumpedAt;
    fake.windowMessages.onPending = [&] { pumpedAt.push_back(engine.run.flow.nextLine); };
    run(lines);
    EXPECT_EQ(pumpedAt, (std::vector<size_t>{0, 314, 628}));
}

// While a page is shown, PROGRESSTEXT and PROGRESS go to the progress display when they changed.
TEST_F(InterpreterTest, ProgressIsForwardedWhileAPageIsShown) {
    std::vector<std::string> sent;
    engine.run.progress = [&](const std::string& text, int position, int maximum, int minimum) {
        sent.push_back(text + "|" + std::to_string(position) + "|" + std::to_string(maximum) + "|" +
                       std::to_string(minimum));
    };
    engine.run.pageHandle = 0x1234;
    run({record("a"), setVar("PROGRESS", "10"), record("b"), record("c"), setVar("PROGRESSTEXT", "Copying"),
         setVar("PROGRESS", "$1E"), record("d")});
    EXPECT_EQ(sent, (std::vector<std::string>{"|10|100|0", "Copying|10|100|0", "Copying|30|100|0"}));
    EXPECT_EQ(fake.windowMessages.oneCalls, 3);

    sent.clear();
    engine.run.pageHandle = 0;
    engine.variables.clear();
    run({setVar("PROGRESS", "50"), record("a")});
    EXPECT_TRUE(sent.empty()) << "no page, no progress";
}

struct ErrorCase {
    const char* name;
    Line failing;
    const char* message;
};

// An error raised by a line ends the script with the runtime-error message: heading, source
// file name without folder and extension, line number counted from 1, the error's text.
TEST_F(InterpreterTest, RuntimeErrorIsReportedAndEndsTheScript) {
    const ErrorCase cases[] = {
        {"a handler's error", {"Fail", {"Something broke"}}, "Something broke"},
        {"division by zero", {"Mathematics", {"1", "0", "3", "R"}}, "Division by zero"},
        {"a malformed version in a condition", {"If", {"V", "6", "1.x.3", "FALSE"}}, nullptr},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        engine.variables.clear();
        engine.run = RunState();
        fake.messageBoxes.shown.clear();
        fake.files.files.erase(foldPath(kLog));
        engine.options.logPath = kLog;
        engine.trace.setPath(kLog);
        engine.options.silent = false;
        engine.lists.productTitle = "Demo";
        engine.lists.constants = {"SINGLEINSTANCE", "TRUE"};
        engine.lists.packageCode = "{PKG}";
        engine.exitCode = 5;
        std::vector<Line> lines = {setVar("V", "1.2"), record("before"), c.failing, record("after")};
        if (c.failing.command == "If") lines.push_back(endLine());
        load(lines);
        engine.lists.sourcePositions[2] = "C:\\src\\lib\\common.qss*10";
        interpreter.run(engine);

        EXPECT_EQ(engine.variables.get("LOG"), "before ");
        ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
        const auto& box = fake.messageBoxes.shown[0];
        std::string expected = "Runtime error in setup script:\r\rSource File: common\rLine Number: 11\r\r";
        if (c.message) EXPECT_EQ(box.text, expected + c.message);
        else EXPECT_EQ(box.text.substr(0, expected.size()), expected);
        EXPECT_EQ(box.caption, "Demo - Quillset Wizard");
        EXPECT_EQ(box.owner, 0u);
        EXPECT_EQ(box.flags, 0x10u);
        EXPECT_EQ(engine.exitCode, 5) << "the exit code stays";
        EXPECT_FALSE(fake.files.has("C:\\Temp\\{PKG}.yib")) << "exit cleanup";
        const auto trace = traceLines(kLog);
        EXPECT_TRUE(has(trace, "    <kyru>"));
        EXPECT_FALSE(has(trace, "    </kyru>"));
        EXPECT_FALSE(has(trace, "    <ExitScript>"));
    }
}

TEST_F(InterpreterTest, SilentRuntimeErrorShowsNothing) {
    engine.options.silent = true;
    EXPECT_EQ(run({record("before"), {"Fail", {"x"}}, record("after")}), "before ");
    EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

TEST_F(InterpreterTest, RuntimeErrorTextForSourcePositions) {
    struct Case {
        const char* position;
        const char* expected;
    } cases[] = {
        {"setup.qss*0", "Source File: setup\rLine Number: 1\r"},
        {"lib\\my.file.qss*41", "Source File: my.file\rLine Number: 42\r"},
        {"noextension*9", "Source File: noextension\rLine Number: 10\r"},
    };
    load({record("x")});
    for (const Case& c : cases) {
        engine.lists.sourcePositions[0] = c.position;
        engine.script = ScriptModel(engine.lists);
        const std::string text = runtimeErrorText(engine, 0, "m");
        EXPECT_NE(text.find(c.expected), std::string::npos) << c.position << ": " << text;
    }
}

// Started from a removable medium that is gone when the script ends, the engine cannot return
// into its own image: it finishes the shutdown and ends the process with its exit code.
TEST_F(InterpreterTest, RemovedSetupMediumEndsTheProcess) {
    struct Case {
        platform::DriveType drive;
        bool folderExists;
        bool ends;
    } cases[] = {
        {platform::DriveType::CdRom, false, true},
        {platform::DriveType::Removable, false, true},
        {platform::DriveType::CdRom, true, false},
        {platform::DriveType::Fixed, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.drive) * 10 + c.folderExists);
        engine.variables.clear();
        fake.files.files.clear();
        fake.files.dirs.clear();
        fake.files.addFile(engine.msiFile(), "msi");
        fake.files.addFile("C:\\Temp\\yib1\\page.dfm", "x");
        if (c.folderExists) fake.files.createDirectoryTree("C:\\Pkg");
        fake.files.drive = c.drive;
        engine.options.logPath = kLog;
        engine.exitCode = 1603;
        bool ended = false;
        try {
            run({record("x")});
        } catch (const ProcessExit& exit) {
            ended = true;
            EXPECT_EQ(exit.code, 1603);
        }
        EXPECT_EQ(ended, c.ends);
        const auto trace = traceLines(kLog);
        EXPECT_EQ(has(trace, "  <RemovableMediaPrematureEject>"), c.ends);
        if (c.ends) {
            EXPECT_EQ(trace.back(), "</Quillset>");
            EXPECT_FALSE(fake.files.has("C:\\Temp\\yib1\\page.dfm")) << "the support folder is removed";
        }
    }
}

TEST_F(InterpreterTest, EvaluateExpressionStoresItsResult) {
    struct Case {
        const char* expression;
        const char* result;
    } cases[] = {
        {"$A$ = \"1\"", "TRUE"},
        {"$A$ <> \"1\"", "FALSE"},
        {"($A$ = \"1\") and ($R$ = \"old\")", "TRUE"},  // the result variable keeps its value until assigned
        {"$A$ = \"1\")", "ERROR"},
    };
    for (const Case& c : cases) {
        engine.variables.clear();
        engine.lists.constants.clear();
        load({setVar("A", "1"), setVar("R", "old"), {"Evaluate Expression", {c.expression, "R"}}});
        // The compile pass rejects the unparsable expression; the handler alone is run for it.
        if (std::string(c.result) == "ERROR") {
            engine.script = ScriptModel(engine.lists);
            engine.variables.set("A", "1");
            evaluateExpressionCommand(engine, 2);
        } else {
            interpreter.run(engine);
        }
        EXPECT_EQ(engine.variables.get("R"), c.result) << c.expression;
    }
}

}  // namespace
