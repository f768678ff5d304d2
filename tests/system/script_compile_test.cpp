// The compile pass in the built engine: a script that does not compile ends the run at once
// with exit code 314, silently and without cleaning up; a valid one runs on.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "test_packages.h"
#include "wine_runner.h"

using namespace qs::test;
namespace fs = std::filesystem;


TEST(ScriptCompile, FailingScriptEndsWith314AndValidScriptRuns) {
    if (!fs::exists(win32BuildDir() + "/bin/yib.lib"))
        GTEST_SKIP() << "yib.lib is not built yet (" << win32BuildDir() << "/bin/yib.lib): no package can start";
    struct Case {
        const char* name;
        const char* script;
        int exitCode;
    } cases[] = {
        {"valid",
         "If(\"SILENT\", \"0\", \"TRUE\", \"FALSE\")\n"
         "  Set Variable(\"X\", \"1\")\n"
         "End()\n"
         "GoTo Label(\"done\")\n"
         "// GoTo Label(\"nowhere\")\n"
         "Label(\"DONE\")\n",
         0},
        {"unbalanced", "If(\"SILENT\", \"0\", \"TRUE\", \"FALSE\")\nSet Variable(\"X\", \"1\")\n", 314},
        {"undefined-label", "Comment(\"x\")\nGoTo Label(\"NOWHERE\")\n", 314},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackageSpec package;
        package.script = c.script;
        const std::string folder = buildPackage(std::string("script-compile-") + c.name, package);
        const std::string temp = makeScratchDir(std::string("script-compile-") + c.name + "-temp");
        const std::string log = folder + "/trace.log";
        // Not silent: a message box would keep the run from ending before the time-out.
        WineRun run = runUnderWine(folder + "/setup.exe", {"/l=" + toWindowsPath(log)}, 120, {},
                                   {"TMP=" + toWindowsPath(temp), "TEMP=" + toWindowsPath(temp)});
        ASSERT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;

        const std::vector<std::string> trace = readTraceLines(log);
        EXPECT_TRUE(hasLine(trace, "    <CompileScript>"));
        const bool compiled = c.exitCode == 0;
        EXPECT_EQ(hasLine(trace, "    </CompileScript>"), compiled);
        EXPECT_EQ(hasLine(trace, "</Quillset>"), compiled) << "a failed compile ends the process at once";
        EXPECT_EQ(fs::exists(fs::path(temp) / "yib1"), !compiled) << "nothing is cleaned up after a failed compile";
    }
}
