#include <gtest/gtest.h>

#include "l10n/localization.h"
#include "l10n_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

// A package translated into German and French: one script line with two translatable
// parameters, one page control and one localization variable.
struct Translated : L10nFixture {
    Translated() {
        supportFile("Test Product.mtx", linesOf({"{AAAA}", "", "Label1", "CODEGEAR$GREETING$CODEGEAR"}));
        supportFile("translations.Map", linesOf({"", "", "Welcome.dfm", ""}));
        supportFile("translations.Original", linesOf({"Install now?", "Setup", "Welcome", "Hello $USER$"}));
        supportFile("translations.German",
                    linesOf({"Jetzt installieren?", "#PRODUCT# einrichten", "Willkommen", "Hallo $USER$"}));
        supportFile("translations.French",
                    linesOf({"Installer maintenant?", "Installation", "Bienvenue", "Bonjour $USER$"}));
        engine.lists.constants = {"PRODUCT", "Quill"};
    }
    void language(const std::string& name) {
        set("LANGUAGE", name);
        l10n::reloadTranslations(engine);
    }
    std::string translate(const std::string& text, const std::string& key, int ordinal) {
        return l10n::translate(engine, text, key, ordinal);
    }
};

}  // namespace

TEST(Localization, TranslatesParametersControlsAndSubstitutesConstants) {
    Translated t;
    t.language("German");
    EXPECT_EQ(t.translate("Install now?", "{AAAA}", 1), "Jetzt installieren?");
    EXPECT_EQ(t.translate("Setup", "{AAAA}", 2), "Quill einrichten");
    EXPECT_EQ(t.translate("Other", "{ZZZZ}", 1), "Other");
    EXPECT_EQ(l10n::translateControlText(t.engine, "Welcome.dfm", "Label1"), "Willkommen");
}

TEST(Localization, OutsideLocalizationModeTextsStayAsWritten) {
    Translated t;
    t.language("German");
    t.language("");  // the map stays loaded, but the mode is off
    EXPECT_EQ(t.translate("Install now?", "{AAAA}", 1), "Install now?");
    EXPECT_EQ(l10n::translateControlText(t.engine, "Welcome.dfm", "Label1"), std::nullopt);
    EXPECT_EQ(t.engine.localization.lastLoaded, "German");
}

TEST(Localization, SwitchingLanguagesReloadsTheMapEachTime) {
    Translated t;
    t.language("German");
    t.language("French");
    EXPECT_EQ(t.translate("Install now?", "{AAAA}", 1), "Installer maintenant?");
    // Back to German: loaded again from the file, so a changed file shows.
    t.supportFile("translations.German", linesOf({"Jetzt einrichten?"}));
    t.language("German");
    EXPECT_EQ(t.translate("Install now?", "{AAAA}", 1), "Jetzt einrichten?");
    // The same language again is not reloaded.
    t.supportFile("translations.German", linesOf({"changed"}));
    t.language("German");
    EXPECT_EQ(t.translate("Install now?", "{AAAA}", 1), "Jetzt einrichten?");
}

TEST(Localization, MissingMapFilesCountAsEmpty) {
    L10nFixture f;
    f.set("LANGUAGE", "German");
    l10n::reloadTranslations(f.engine);
    EXPECT_EQ(l10n::translate(f.engine, "Install now?", "{AAAA}", 1), "Install now?");
}

TEST(Localization, TranslationModes) {
    const struct {
        const char* mode;
        const char* text;
        const char* key;
        const char* expected;
    } cases[] = {
        {"VARSONLY", "Install now?", "{AAAA}", "Install now?"},
        {"varsonly", "Hello $USER$", "CODEGEAR$GREETING$CODEGEAR", "Hallo $USER$"},
        {"NEWONLY", "Install now?", "{AAAA}", "Jetzt installieren?"},
        {"NEWONLY", "Install it now?", "{AAAA}", "Install it now?"},  // edited after translation
        {"OTHER", "Install it now?", "{AAAA}", "Jetzt installieren?"},
    };
    for (const auto& c : cases) {
        Translated t;
        t.engine.lists.constants.insert(t.engine.lists.constants.end(), {"LOCMODE", c.mode});
        t.language("German");
        EXPECT_EQ(t.translate(c.text, c.key, 1), c.expected) << c.mode << " " << c.text;
        // Controls are translated whatever the mode.
        EXPECT_EQ(l10n::translateControlText(t.engine, "Welcome.dfm", "Label1"), "Willkommen") << c.mode;
    }
}

TEST(Localization, SharedTranslationsReplaceTheMessageTable) {
    Translated t;
    std::string section;
    for (int n = 1; n <= 115; ++n) section += (n == 40 ? std::string("Wirklich abbrechen?") : "t" + std::to_string(n)) + "\r\n";
    t.supportFile("shared.translations.German", section);
    t.language("French");  // no shared file: the English texts stay
    EXPECT_EQ(t.engine.messages.text(40), "Are you sure you want to cancel?");
    t.language("German");
    EXPECT_EQ(t.engine.messages.text(40), "Wirklich abbrechen?");
}

TEST(Localization, LocalizationVariableCommand) {
    const struct {
        const char* language;
        const char* expected;
    } cases[] = {{"German", "Hallo Ann"}, {"French", "Bonjour Ann"}, {"", "Hello Ann"}};
    for (const auto& c : cases) {
        Translated t;
        t.engine.lists = buildLists({{"Localization Variable", {"$GREETING$", "Hello $USER$"}}});
        t.engine.lists.productTitle = "Test Product";  // names the key file
        t.engine.script = ScriptModel(t.engine.lists);
        t.set("USER", "Ann");
        t.language(c.language);
        EXPECT_FALSE(t.engine.variables.exists("GREETING"));
        l10n::localizationVariableCommand(t.engine, 0);
        EXPECT_EQ(t.get("GREETING"), c.expected) << c.language;
    }
}

TEST(Localization, RememberedLanguageIsWrittenOrDeleted) {
    L10nFixture f;
    const std::string cache = "C:\\Cache\\{PKG}";
    const std::string file = "C:\\Cache\\{PKG}\\setup.lan";
    EXPECT_EQ(l10n::rememberedLanguageFile(f.engine, cache), file);
    f.set("LANGUAGE", "French");
    EXPECT_TRUE(l10n::saveRememberedLanguage(f.engine, cache));
    EXPECT_EQ(f.fakes.files.content(file), "French\r\n");
    f.set("LANGUAGE", "");
    EXPECT_TRUE(l10n::saveRememberedLanguage(f.engine, cache));
    EXPECT_FALSE(f.fakes.files.has(file));
    EXPECT_FALSE(l10n::saveRememberedLanguage(f.engine, ""));  // no cache folder known
}

// The caption of the engine's message boxes follows TITLE and the branding switch KYRULOGO as
// the interpreter last read them.
TEST(Localization, SetupCaption) {
    const struct {
        bool logo;
        const char* title;
        const char* expected;
    } cases[] = {
        {false, "", "Quillset Wizard"},
        {false, "Quill Demo", "Quill Demo - Quillset Wizard"},
        {true, "Quill Demo", "Quill Demo"},
        {true, "", ""},
    };
    for (const auto& c : cases) {
        L10nFixture f;
        f.engine.run.logo = c.logo;
        f.engine.run.captionTitle = c.title;
        EXPECT_EQ(f.engine.setupCaption(), c.expected) << c.logo << " " << c.title;
    }
}
