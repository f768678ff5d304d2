// Runtime errors of the built engine under Wine: a failing line shows the runtime-error box
// (unless silent), ends the script without its end elements and the run still shuts down
// cleanly with an unchanged exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "test_packages.h"
#include "wine_runner.h"

using namespace qs::test;
namespace fs = std::filesystem;

namespace {

// The division by zero sits on source line 3 of setup.qss.
const char* kFailingScript =
    "# a script whose third source line fails\n"
    "Comment(\"before\")\n"
    "Mathematics(\"1\", \"0\", \"3\", \"R\")\n"
    "Comment(\"after\")\n";

bool hasSupportFolder(const std::string& temp) {
    for (const auto& entry : fs::directory_iterator(temp))
        if (entry.is_directory() && entry.path().filename().string().rfind("yib", 0) == 0) return true;
    return false;
}

}  // namespace

TEST(InterpreterErrors, FailingLineShowsTheRuntimeErrorBox) {
    PackageSpec spec;
    spec.script = kFailingScript;
    const std::string package = buildPackage("interpreter-error-box", spec);
    const std::string temp = makeScratchDir("interpreter-error-box-temp");
    const std::string log = package + "/trace.log";

    WineProcess setup(package + "/setup.exe", {"/l=" + toWindowsPath(log)}, 120, {},
                      {"TMP=" + toWindowsPath(temp), "TEMP=" + toWindowsPath(temp)});
    WineRun box = runGuiDriver({"wait", "Quillset Wizard", "30", "#32770"});
    ASSERT_EQ(box.exitCode, 0) << box.output;
    saveScreenshot(nativeBuildDir() + "/scratch/interpreter-error-box/screen.png");
    // The setup caption carries the product title; the text names the source file without
    // folder and extension and the source line counted from 1.
    EXPECT_NE(box.output.find("\"Test Product - Quillset Wizard\""), std::string::npos) << box.output;
    EXPECT_NE(box.output.find("\"Runtime error in setup script:\r\rSource File: setup\rLine Number: 3\r\r"
                              "Division by zero\""),
              std::string::npos)
        << box.output;
    ASSERT_EQ(runGuiDriver({"click", "Quillset Wizard", "OK"}).exitCode, 0);

    WineRun run = setup.wait();
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(hasSupportFolder(temp)) << "the support folder is removed at shutdown";
    const auto trace = readTraceLines(log);
    EXPECT_TRUE(hasLine(trace, "    <kyru>"));
    EXPECT_FALSE(hasLine(trace, "    </kyru>")) << "the script end is not traced after an error";
    EXPECT_FALSE(hasLine(trace, "    <ExitScript>"));
    EXPECT_TRUE(hasLine(trace, "</Quillset>"));
}

TEST(InterpreterErrors, SilentRunShowsNoBox) {
    PackageSpec spec;
    spec.script = kFailingScript;
    const std::string package = buildPackage("interpreter-error-silent", spec);
    const std::string temp = makeScratchDir("interpreter-error-silent-temp");
    const std::string log = package + "/trace.log";

    // A box would keep the run from ending before the time-out.
    WineRun run = runUnderWine(package + "/setup.exe", {"/S", "/l=" + toWindowsPath(log)}, 60, {},
                               {"TMP=" + toWindowsPath(temp), "TEMP=" + toWindowsPath(temp)});
    ASSERT_FALSE(run.timedOut) << "a message box was shown in silent mode";
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(hasSupportFolder(temp));
    const auto trace = readTraceLines(log);
    EXPECT_TRUE(hasLine(trace, "    <kyru>"));
    EXPECT_FALSE(hasLine(trace, "    </kyru>"));
    EXPECT_TRUE(hasLine(trace, "</Quillset>"));
}
