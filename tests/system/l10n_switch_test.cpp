// A script switches LANGUAGE between two languages; localization variables follow the
// translation map of the language in force when they are set.
#include <gtest/gtest.h>

#include "test_packages.h"
#include "wine_runner.h"

using namespace qs::test;

TEST(Localization, SwitchingLanguageInTheScriptTranslatesLocalizationVariables) {
    const std::string out = makeScratchDir("l10n-switch-out");
    const std::string file = toWindowsPath(out) + "\\result.txt";
    PackageSpec spec;
    // The map files are parallel: line 1 belongs to GREETING, line 2 to FAREWELL.
    spec.supportFiles = {
        {"Test Product.mtx", "CODEGEAR$GREETING$CODEGEAR\r\nCODEGEAR$FAREWELL$CODEGEAR\r\n"},
        {"translations.Map", "\r\n\r\n"},
        {"translations.Original", "Hello\r\nGoodbye\r\n"},
        {"translations.German", "Hallo\r\nAuf Wiedersehen\r\n"},
        {"translations.French", "Bonjour\r\nAu revoir\r\n"},
    };
    auto step = [&](const std::string& language) {
        return "Set Variable(\"LANGUAGE\", \"" + language + "\")\n"
               "Localization Variable(\"GREETING\", \"Hello\")\n"
               "Localization Variable(\"$FAREWELL$\", \"Goodbye\")\n"
               "Write to Text File(\"" + file + "\", \"" + language + ": $GREETING$ / $FAREWELL$\", \"FALSE\")\n";
    };
    spec.script = step("German") + step("French") + step("German") +
                  // An empty LANGUAGE switches translation off: the texts stay as written.
                  "Set Variable(\"LANGUAGE\", \"\")\n"
                  "Localization Variable(\"GREETING\", \"Hello\")\n"
                  "Write to Text File(\"" + file + "\", \"none: $GREETING$\", \"FALSE\")\n";
    const std::string package = buildPackage("l10n-switch", spec);
    const std::string temp = makeScratchDir("l10n-switch-temp");
    WineRun run = runUnderWine(package + "/setup.exe", {"/S"}, 120, {},
                               {"TMP=" + toWindowsPath(temp), "TEMP=" + toWindowsPath(temp)});
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(readBinaryFile(out + "/result.txt"),
              "German: Hallo / Auf Wiedersehen\r\nFrench: Bonjour / Au revoir\r\n"
              "German: Hallo / Auf Wiedersehen\r\nnone: Hello\r\n");
}
