// The start-up windows of the built engine under Wine, driven like a person would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "test_packages.h"
#include "wine_runner.h"

using namespace qs::test;
namespace fs = std::filesystem;

namespace {

// A test's own temporary folder for the engine (TMP and TEMP point there).
std::vector<std::string> ownTemp(const std::string& name) {
    std::string dir = toWindowsPath(makeScratchDir(name + "-temp"));
    return {"TMP=" + dir, "TEMP=" + dir};
}

}  // namespace

// Without /s the start-up windows show, and an early exit reports itself in a message box
// under the setup caption, owned by the preparing window.
TEST(StartupWindows, SplashPreparingWindowAndErrorBox) {
    std::string package = buildPackage("startup-windows", {});
    ASSERT_EQ(std::system(("convert -size 200x100 xc:navy BMP3:'" + package + "/setup.bmp'").c_str()), 0);
    fs::remove(package + "/setup.msi");

    WineProcess setup(package + "/setup.exe", {}, 120, {}, ownTemp("startup-windows"));
    WineRun box = runGuiDriver({"wait", "Quillset Wizard", "30", "#32770"});
    ASSERT_EQ(box.exitCode, 0) << box.output;
    EXPECT_NE(box.output.find("\"Setup database not found\""), std::string::npos) << box.output;
    WineRun all = runGuiDriver({"list"});
    saveScreenshot(nativeBuildDir() + "/scratch/startup-windows/screen.png");
    // The splash is centred on the 1024x768 screen at the picture's size; the preparing window
    // (369 by 89 client pixels) sits half the splash width plus 50 to the right and 25 below it.
    EXPECT_NE(all.output.find("window TSetupSplash \"\" 412 334 200 100"), std::string::npos) << all.output;
    EXPECT_NE(all.output.find("window TSetupInit \"Quillset Wizard\" 562 459"), std::string::npos) << all.output;
    EXPECT_NE(all.output.find("Quillset is preparing the Quillset Wizard which will install this application. Please "
                              "wait."),
              std::string::npos)
        << all.output;
    ASSERT_EQ(runGuiDriver({"click", "Quillset Wizard", "OK"}).exitCode, 0);
    WineRun run = setup.wait();
    EXPECT_EQ(run.exitCode, 16) << run.output;
}

TEST(StartupWindows, UpdateSwitchHidesTheStartupWindowsButNotErrorBoxes) {
    std::string package = buildPackage("startup-update", {});
    fs::remove(package + "/setup.res");

    WineProcess setup(package + "/setup.exe", {"/UPDATE"}, 120, {}, ownTemp("startup-update"));
    WineRun box = runGuiDriver({"wait", "Quillset Wizard", "30", "#32770"});
    ASSERT_EQ(box.exitCode, 0) << box.output;
    EXPECT_NE(box.output.find("\"Setup resource not found\""), std::string::npos) << box.output;
    WineRun all = runGuiDriver({"list"});
    EXPECT_EQ(all.output.find("TSetupInit"), std::string::npos) << all.output;
    EXPECT_EQ(all.output.find("TSetupSplash"), std::string::npos) << all.output;
    ASSERT_EQ(runGuiDriver({"click", "Quillset Wizard", "OK"}).exitCode, 0);
    EXPECT_EQ(setup.wait().exitCode, 14);
}

// A language file appended to yib.lib replaces the engine's texts from the start.
TEST(StartupWindows, LanguageFileOfTheArchiveLibraryWordsTheStartupTexts) {
    PackageSpec spec;
    for (int line = 1; line <= 115; ++line) {
        if (line == 4) spec.languageFile += "Setup-Datenbank nicht gefunden\r\n";
        else if (line == 24) spec.languageFile += "Der Assistent wird vorbereitet.\r\n";
        else spec.languageFile += "text " + std::to_string(line) + "\r\n";
    }
    std::string package = buildPackage("startup-language", spec);
    fs::remove(package + "/setup.msi");

    WineProcess setup(package + "/setup.exe", {}, 120, {}, ownTemp("startup-language"));
    WineRun box = runGuiDriver({"wait", "Quillset Wizard", "30", "#32770"});
    ASSERT_EQ(box.exitCode, 0) << box.output;
    EXPECT_NE(box.output.find("\"Setup-Datenbank nicht gefunden\""), std::string::npos) << box.output;
    WineRun all = runGuiDriver({"list"});
    EXPECT_NE(all.output.find("\"Der Assistent wird vorbereitet.\""), std::string::npos) << all.output;
    ASSERT_EQ(runGuiDriver({"click", "Quillset Wizard", "OK"}).exitCode, 0);
    EXPECT_EQ(setup.wait().exitCode, 16);
}
