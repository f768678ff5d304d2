// A script of conditions, jumps, arithmetic and expressions runs to its end in the built
// engine. Every wrong turn would reach a division by zero, whose runtime error ends the script
// before its end elements are traced.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_packages.h"
#include "wine_runner.h"

using namespace qs::test;


TEST(InterpreterScript, FlowAndComputationsRunToTheEnd) {
    PackageSpec spec;
    spec.script =
        "Mathematics(\"6\", \"7\", \"2\", \"N\")                 # N = 42\n"
        "Evaluate Expression(\"$N$ = \"\"42\"\"\", \"OK\")\n"
        "If(\"OK\", \"0\", \"TRUE\", \"FALSE\")\n"
        "  Mathematics(\"$N$\", \"1\", \"0\", \"N\")             # N = 43\n"
        "Else()\n"
        "  Mathematics(\"1\", \"0\", \"3\", \"X\")               # wrong branch\n"
        "End()\n"
        "If(\"N\", \"0\", \"42\", \"FALSE\")\n"
        "  Mathematics(\"1\", \"0\", \"3\", \"X\")\n"
        "Else If(\"N\", \"0\", \"43\", \"FALSE\")\n"
        "  GoTo Label(\"done\")\n"
        "Else If(\"N\", \"0\", \"43\", \"FALSE\")\n"
        "  Mathematics(\"1\", \"0\", \"3\", \"X\")\n"
        "End()\n"
        "Mathematics(\"1\", \"0\", \"3\", \"X\")                 # jumped over\n"
        "Label(\"DONE\")\n"
        "Set 64 Bit Mode(\"FALSE\", \"FALSE\", \"TRUE\")\n"
        "Evaluate Expression(\"($N$ = \"\"43\"\") and ($OK$ = \"\"TRUE\"\")\", \"BOTH\")\n"
        "If(\"BOTH\", \"0\", \"TRUE\", \"TRUE\")\n"
        "  Mathematics(\"1\", \"0\", \"3\", \"X\")\n"
        "End()\n";
    const std::string package = buildPackage("interpreter-script", spec);
    const std::string temp = makeScratchDir("interpreter-script-temp");
    const std::string log = package + "/trace.log";

    WineRun run = runUnderWine(package + "/setup.exe", {"/S", "/l=" + toWindowsPath(log)}, 60, {},
                               {"TMP=" + toWindowsPath(temp), "TEMP=" + toWindowsPath(temp)});
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const auto trace = readTraceLines(log);
    EXPECT_TRUE(hasLine(trace, "    </kyru>")) << "a wrong branch ended the script with a runtime error";
    EXPECT_TRUE(hasLine(trace, "    <ExitScript>"));
    EXPECT_TRUE(hasLine(trace, "    </ExitScript>"));
    EXPECT_TRUE(hasLine(trace, "</Quillset>"));
}

// A resume entry left by "Reboot and Resume" is removed when the run starts, from the current
// user's and the machine's RunOnce keys; other entries stay.
TEST(InterpreterScript, LeftoverResumeEntryIsRemovedAtStart) {
    // The 32-bit reg.exe sees the registry as the engine does (HKLM\SOFTWARE is redirected).
    const std::string reg = prefixDriveC() + "/windows/syswow64/reg.exe";
    const std::string runOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    // The test package's product code starts with {6F1C2A8E-.
    for (const char* root : {"HKCU\\", "HKLM\\"}) {
        for (const char* name : {"6F1C2A8E", "OtherProgram"})
            ASSERT_EQ(runUnderWine(reg, {"add", root + runOnce, "/v", name, "/d", "C:\\x.exe", "/f"}).exitCode, 0);
    }
    const std::string package = buildPackage("interpreter-resume-entry", {});
    const std::string temp = makeScratchDir("interpreter-resume-entry-temp");
    WineRun run = runUnderWine(package + "/setup.exe", {"/S"}, 60, {},
                               {"TMP=" + toWindowsPath(temp), "TEMP=" + toWindowsPath(temp)});
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* root : {"HKCU\\", "HKLM\\"}) {
        SCOPED_TRACE(root);
        EXPECT_NE(runUnderWine(reg, {"query", root + runOnce, "/v", "6F1C2A8E"}).exitCode, 0) << "removed";
        EXPECT_EQ(runUnderWine(reg, {"query", root + runOnce, "/v", "OtherProgram"}).exitCode, 0) << "kept";
        runUnderWine(reg, {"delete", root + runOnce, "/v", "OtherProgram", "/f"});
    }
}

// A script of some thousands of lines (blocks of arithmetic, conditions, jumps and string
// commands) runs to its end; the text file it writes shows every block ran once, in order.
TEST(InterpreterScript, ThousandsOfLinesRunEndToEnd) {
    const std::string out = makeScratchDir("interpreter-long-out");
    PackageSpec spec;
    spec.script = "Set Variable(\"SUM\", \"0\")\n";
    const int blocks = 400;  // 10 lines each
    for (int b = 0; b < blocks; ++b) {
        const std::string n = std::to_string(b);
        spec.script += "Mathematics(\"$SUM$\", \"" + n + "\", \"0\", \"SUM\")\n"
                       "Mathematics(\"" + n + "\", \"2\", \"4\", \"ODD\")\n"
                       "If(\"ODD\", \"0\", \"1\", \"FALSE\")\n"
                       "  Set Variable(\"KIND\", \"odd\")\n"
                       "Else()\n"
                       "  Set Variable(\"KIND\", \"even\")\n"
                       "End()\n"
                       "GoTo Label(\"next" + n + "\")\n"
                       "Mathematics(\"1\", \"0\", \"3\", \"X\")\n"
                       "Label(\"next" + n + "\")\n";
        if (b % 100 == 99)
            spec.script += "Write to Text File(\"" + toWindowsPath(out) + "\\result.txt\", \"" + n + " $KIND$ $SUM$\", \"FALSE\")\n";
    }
    const std::string package = buildPackage("interpreter-long", spec);
    const std::string temp = makeScratchDir("interpreter-long-temp");
    WineRun run = runUnderWine(package + "/setup.exe", {"/S"}, 120, {},
                               {"TMP=" + toWindowsPath(temp), "TEMP=" + toWindowsPath(temp)});
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    // Sums 0..99, 0..199, ...: n(n+1)/2 for n = 99, 199, 299, 399.
    EXPECT_EQ(readBinaryFile(out + "/result.txt"),
              "99 odd 4950\r\n199 odd 19900\r\n299 odd 44850\r\n399 odd 79800\r\n");
}
