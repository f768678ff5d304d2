#include <gtest/gtest.h>

#include "l10n/language_selection.h"
#include "l10n/localization.h"
#include "l10n_fixture.h"

using namespace qs;
using namespace qs::test;
using l10n::LanguageChoice;

TEST(LanguageSelection, Preselection) {
    const std::vector<std::string> gf = {"German", "French"};
    const struct {
        std::vector<std::string> items;
        const char* system;
        const char* fallback;
        std::size_t expected;
    } cases[] = {
        {gf, "German", "French", 0},                          // the system's language first
        {gf, "german", "French", 0},                          // any case
        {gf, "English", "French", 1},                         // else the default language
        {{"French", "German", "french"}, "English", "FRENCH", 2},  // its last occurrence
        {gf, "English", "Italian", 0},                        // else the first item
        {{"Italian", "German"}, "German", "Italian", 1},      // the system beats the default
    };
    for (const auto& c : cases)
        EXPECT_EQ(l10n::preselectLanguage(c.items, c.system, c.fallback), c.expected) << c.system << " " << c.fallback;
}

namespace {

struct Offered : L10nFixture {
    Offered() {
        supportFile("Test Product.mtx", linesOf({"{AAAA}"}));
        supportFile("translations.Map", "\r\n");
        supportFile("translations.Original", "Install now?\r\n");
        supportFile("translations.German", "Jetzt installieren?\r\n");
        supportFile("translations.French", "Installer maintenant?\r\n");
        supportFile("shared.translations.German", "");
        engine.lists.defaultLanguage = "French";
        engine.lists.languageDialog = true;
        engine.windows = {6, 1, 7601, 2, ""};
        fakes.system.defaultLanguageId = "0407";  // a German system
        fakes.system.languageId = "0407";
    }
    LanguageChoice select() { return l10n::selectStartupLanguage(engine); }
};

}  // namespace

TEST(LanguageSelection, OfferedLanguagesLeaveOutTheMapOriginalsAndSharedFiles) {
    Offered f;
    f.supportFile("translations.shared", "");
    std::vector<std::string> languages = l10n::availableLanguages(f.engine);
    std::sort(languages.begin(), languages.end());
    EXPECT_EQ(languages, (std::vector<std::string>{"French", "German"}));
}

// Only file names are looked at: a support folder below a folder named "shared" still offers
// its languages.
TEST(LanguageSelection, SupportFolderPathDoesNotHideLanguages) {
    L10nFixture f;
    f.engine.supportFolder = "C:\\Users\\shared\\Temp\\sup\\";
    for (const char* name : {"translations.German", "translations.Map", "shared.translations.German"}) {
        f.fakes.files.addFile(f.engine.supportFolder + name, "");
        f.fakes.files.storedNames[foldPath(f.engine.supportFolder + name)] = name;
    }
    EXPECT_EQ(l10n::availableLanguages(f.engine), std::vector<std::string>{"German"});
}

TEST(LanguageSelection, WithoutTheKeyFileNoLanguageIsChosen) {
    Offered f;
    f.fakes.files.deleteFile(std::string(L10nFixture::kSupport) + "Test Product.mtx");
    EXPECT_EQ(f.select(), LanguageChoice::Made);
    EXPECT_TRUE(f.dialog.shown.empty());
    EXPECT_TRUE(f.engine.variables.exists("LANGUAGE"));
    EXPECT_EQ(f.get("LANGUAGE"), "");
}

TEST(LanguageSelection, DialogListsTheLanguagesAndPreselectsTheSystemLanguage) {
    Offered f;
    EXPECT_EQ(f.select(), LanguageChoice::Made);
    ASSERT_EQ(f.dialog.shown.size(), 1u);
    const l10n::LanguageDialogRequest& r = f.dialog.shown[0];
    std::vector<std::string> sorted = r.languages;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"French", "German"}));
    EXPECT_EQ(r.languages[r.preselected], "German");
    EXPECT_EQ(r.caption, "Select Setup Language");
    EXPECT_EQ(r.label, "Please select the language to use during the installation:");
    EXPECT_EQ(r.okText, "&OK");
    EXPECT_EQ(r.cancelText, "&Cancel");
    EXPECT_TRUE(r.currentPicture);
    EXPECT_EQ(f.get("LANGUAGE"), "German");
}

TEST(LanguageSelection, TheUsersChoiceAndCancel) {
    Offered chooses;
    chooses.dialog.answerPreselection = false;
    chooses.dialog.answer = 1;
    EXPECT_EQ(chooses.select(), LanguageChoice::Made);
    EXPECT_EQ(chooses.get("LANGUAGE"), chooses.dialog.shown.at(0).languages[1]);

    Offered cancels;
    cancels.dialog.answerPreselection = false;
    cancels.dialog.answer = std::nullopt;
    EXPECT_EQ(cancels.select(), LanguageChoice::Cancelled);
}

TEST(LanguageSelection, OlderWindowsGetsTheOlderPicture) {
    Offered f;
    f.engine.windows = {5, 0, 2195, 2, ""};
    f.select();
    ASSERT_EQ(f.dialog.shown.size(), 1u);
    EXPECT_FALSE(f.dialog.shown[0].currentPicture);
}

// Without the dialog the default language is taken when it is offered.
TEST(LanguageSelection, WithoutTheDialog) {
    const struct {
        const char* name;
        bool silent;
        bool dialogSwitch;
        const char* defaultLanguage;
        const char* expected;
    } cases[] = {
        {"silent run takes the preselection", true, true, "French", "German"},
        {"dialog switched off takes the default", false, false, "French", "French"},
        {"default matched in any case", false, false, "FRENCH", "FRENCH"},
        {"default not offered", false, false, "Italian", ""},
    };
    for (const auto& c : cases) {
        Offered f;
        f.engine.options.silent = c.silent;
        f.engine.lists.languageDialog = c.dialogSwitch;
        f.engine.lists.defaultLanguage = c.defaultLanguage;
        EXPECT_EQ(f.select(), LanguageChoice::Made) << c.name;
        EXPECT_TRUE(f.dialog.shown.empty()) << c.name;
        EXPECT_EQ(f.get("LANGUAGE"), c.expected) << c.name;
    }
}

TEST(LanguageSelection, MaintenanceAndPatchRunsTakeTheRememberedLanguage) {
    const struct {
        const char* name;
        bool maintenance;
        bool patch;
        bool remembered;
        const char* expected;
    } cases[] = {
        {"maintenance", true, false, true, "German"},
        {"patch", false, true, true, "German"},
        {"maintenance without a remembered language keeps the default", true, false, false, "French"},
    };
    for (const auto& c : cases) {
        Offered f;
        f.set("MAINTENANCE", c.maintenance ? "TRUE" : "FALSE");
        f.set("ENGINECACHE", "C:\\Cache\\{PKG}\\");
        if (c.patch) f.supportFile("setup.msp", "patch");
        if (c.remembered) f.fakes.files.addFile("C:\\Cache\\{PKG}\\setup.lan", "German\r\n");
        EXPECT_EQ(f.select(), LanguageChoice::Made) << c.name;
        EXPECT_TRUE(f.dialog.shown.empty()) << c.name;
        EXPECT_EQ(f.get("LANGUAGE"), c.expected) << c.name;
    }
}

TEST(LanguageSelection, ResetsTheLoadedLanguage) {
    Offered f;
    f.engine.localization.lastLoaded = "German";
    f.select();
    EXPECT_EQ(f.engine.localization.lastLoaded, "ZILCH");
    // The first line that sees LANGUAGE loads its map.
    l10n::reloadTranslations(f.engine);
    EXPECT_EQ(f.engine.localization.lastLoaded, "German");
    EXPECT_EQ(l10n::translate(f.engine, "Install now?", "{AAAA}", 1), "Jetzt installieren?");
}
