// The start-up language dialog of the built engine under Wine, driven like a person would.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "test_packages.h"
#include "wine_runner.h"

using namespace qs::test;

namespace {

// A package translated into German and French whose default language is French, with the
// language dialog switched on.
PackageSpec translatedPackage() {
    PackageSpec spec;
    spec.script = "Comment(\"translated\")\n";
    spec.supportFiles = {
        {"Test Product.mtx", "Label1\r\n"},
        {"translations.Map", "Welcome.dfm\r\n"},
        {"translations.Original", "Welcome\r\n"},
        {"translations.German", "Willkommen\r\n"},
        {"translations.French", "Bienvenue\r\n"},
    };
    spec.extraDescription = "language-dialog = TRUE\ndefault-language = French\n";
    return spec;
}

std::vector<std::string> ownTemp(const std::string& name) {
    std::string dir = toWindowsPath(makeScratchDir(name + "-temp"));
    return {"TMP=" + dir, "TEMP=" + dir};
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Wine takes the system locale from the Unix locale of the program's process, which inherits
// this process's environment: LC_ALL (and LOCPATH for a locale built by the test) are set
// while the engine starts.
class ScopedUnixLocale {
public:
    ScopedUnixLocale(const std::string& locale, const std::string& localePath) {
        save("LC_ALL");
        save("LOCPATH");
        setenv("LC_ALL", locale.c_str(), 1);
        if (localePath.empty()) unsetenv("LOCPATH");
        else setenv("LOCPATH", localePath.c_str(), 1);
    }
    ~ScopedUnixLocale() {
        for (const auto& [name, value] : saved_)
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
    }

private:
    void save(const char* name) {
        const char* v = std::getenv(name);
        saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Builds the glibc locale de_DE.UTF-8 into a scratch folder; empty when the machine lacks the
// locale sources.
std::string germanLocaleFolder() {
    if (!std::filesystem::exists("/usr/share/i18n/locales/de_DE")) return {};
    const std::string dir = makeScratchDir("l10n-locale");
    const std::string command = "localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !std::filesystem::exists(dir + "/de_DE.UTF-8/LC_CTYPE")) return {};
    return dir;
}

constexpr const char* kCaption = "Select Setup Language";

}  // namespace

// On an English system, a language the package does not offer, the default language French
// is preselected.
TEST(LanguageDialog, ListsTheTranslationsAndPreselectsTheDefaultLanguage) {
    std::string package = buildPackage("l10n-dialog", translatedPackage());
    std::optional<ScopedUnixLocale> english(std::in_place, "C.UTF-8", "");
    WineProcess setup(package + "/setup.exe", {}, 120, {}, ownTemp("l10n-dialog"));
    english.reset();
    WineRun shown = runGuiDriver({"wait", kCaption, "60", "#32770"});
    ASSERT_EQ(shown.exitCode, 0) << shown.output;
    saveScreenshot(nativeBuildDir() + "/scratch/l10n-dialog/screen.png");
    const std::string& out = shown.output;
    EXPECT_TRUE(has(out, "\"Please select the language to use during the installation:\"")) << out;
    EXPECT_TRUE(has(out, "item \"French\" selected=1")) << out;
    EXPECT_TRUE(has(out, "item \"German\" selected=0")) << out;
    EXPECT_FALSE(has(out, "item \"Map\"")) << out;
    EXPECT_FALSE(has(out, "item \"Original\"")) << out;
    EXPECT_TRUE(has(out, "control Button \"&OK\"")) << out;
    EXPECT_TRUE(has(out, "control Button \"&Cancel\"")) << out;
    EXPECT_TRUE(has(out, "control Static \"\" visible=1")) << out;  // the picture

    // Centred on the 1024x768 screen.
    int x = 0, y = 0, w = 0, h = 0;
    const std::size_t at = out.find(std::string("window #32770 \"") + kCaption + "\"");
    ASSERT_NE(at, std::string::npos) << out;
    ASSERT_EQ(std::sscanf(out.c_str() + at + 17 + std::string(kCaption).size(), " %d %d %d %d", &x, &y, &w, &h), 4)
        << out.substr(at);
    EXPECT_NEAR(x, (1024 - w) / 2, 2) << out;
    EXPECT_NEAR(y, (768 - h) / 2, 2) << out;

    ASSERT_EQ(runGuiDriver({"click", kCaption, "OK"}).exitCode, 0);
    WineRun run = setup.wait();
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

// A message-table section whose dialog texts (lines 38, 39, 89, 90) carry `tag`.
std::string languageSection(const std::string& tag) {
    std::string section;
    for (int line = 1; line <= 115; ++line) {
        if (line == 38) section += "&Weiter " + tag;
        else if (line == 39) section += "&Abbrechen " + tag;
        else if (line == 89) section += "Sprache " + tag;
        else if (line == 90) section += "Bitte die Sprache waehlen " + tag;
        else section += "text " + std::to_string(line);
        section += "\r\n";
    }
    return section;
}

// On a German system German is preselected, though French is the default language; the
// German section of the archive library's language file words the dialog.
TEST(LanguageDialog, PreselectsTheSystemLanguage) {
    const std::string locales = germanLocaleFolder();
    if (locales.empty()) GTEST_SKIP() << "no glibc locale sources for de_DE on this machine";
    PackageSpec spec = translatedPackage();
    spec.languageFile = languageSection("std") + "French\r\n" + languageSection("fr") + "German\r\n" +
                        languageSection("de") + "Italian\r\n" + languageSection("it");
    std::string package = buildPackage("l10n-german", spec);
    std::optional<ScopedUnixLocale> german(std::in_place, "de_DE.UTF-8", locales);
    WineProcess setup(package + "/setup.exe", {}, 120, {}, ownTemp("l10n-german"));
    german.reset();
    WineRun shown = runGuiDriver({"wait", "Sprache de", "60", "#32770"});
    ASSERT_EQ(shown.exitCode, 0) << shown.output;
    EXPECT_TRUE(has(shown.output, "item \"German\" selected=1")) << shown.output;
    EXPECT_TRUE(has(shown.output, "item \"French\" selected=0")) << shown.output;
    EXPECT_TRUE(has(shown.output, "\"Bitte die Sprache waehlen de\"")) << shown.output;
    EXPECT_TRUE(has(shown.output, "control Button \"&Abbrechen de\"")) << shown.output;
    ASSERT_EQ(runGuiDriver({"click", "Sprache de", "Weiter de"}).exitCode, 0);
    EXPECT_EQ(setup.wait().exitCode, 0);
}

TEST(LanguageDialog, CancelEndsTheRun) {
    std::string package = buildPackage("l10n-cancel", translatedPackage());
    WineProcess setup(package + "/setup.exe", {}, 120, {}, ownTemp("l10n-cancel"));
    ASSERT_EQ(runGuiDriver({"wait", kCaption, "60", "#32770"}).exitCode, 0);
    ASSERT_EQ(runGuiDriver({"click", kCaption, "Cancel"}).exitCode, 0);
    WineRun run = setup.wait();
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

// A silent run takes the preselection without showing anything: it ends by itself.
TEST(LanguageDialog, SilentRunShowsNoDialog) {
    std::string package = buildPackage("l10n-silent", translatedPackage());
    WineRun run = runUnderWine(package + "/setup.exe", {"/s"}, 60, {}, ownTemp("l10n-silent"));
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.output;
}
