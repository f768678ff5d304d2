#include <gtest/gtest.h>

#include "l10n/translation_map.h"

using namespace qs::l10n;

TEST(TranslationMap, SplitLines) {
    EXPECT_EQ(splitLines(""), std::vector<std::string>{});
    EXPECT_EQ(splitLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitLines("a\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitLines("a\r\r\nb\r"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitLines("\r\n"), std::vector<std::string>{""});
}

TEST(TranslationMap, ModeAndVariableKeys) {
    EXPECT_EQ(translationModeOf("varsonly"), TranslationMode::VariablesOnly);
    EXPECT_EQ(translationModeOf("NEWONLY"), TranslationMode::UnchangedOnly);
    EXPECT_EQ(translationModeOf("#LOCMODE#"), TranslationMode::All);
    EXPECT_EQ(translationModeOf(""), TranslationMode::All);
    EXPECT_EQ(localizationVariableKey("GREETING"), "CODEGEAR$GREETING$CODEGEAR");
    EXPECT_TRUE(isLocalizationVariableKey("CODEGEAR$X$CODEGEAR"));
    EXPECT_FALSE(isLocalizationVariableKey("CODEGEAR$X"));
    EXPECT_FALSE(isLocalizationVariableKey("{1234}"));
}

namespace {

// A map of one page control, a script line with two translatable parameters and one
// localization variable; the translated file lacks the variable's line.
TranslationMap sampleMap() {
    TranslationMap m;
    m.keys = {"Label1", "{AAAA}", "ignored", "CODEGEAR$GREETING$CODEGEAR", "{BBBB}"};
    m.dialogs = {"Welcome.dfm", "", "", "", ""};
    m.originals = {"Welcome", "Install now?", "Setup", "Hello", "Done"};
    m.translated = {"Willkommen", "Jetzt installieren?", "Installation", "Hallo"};
    return m;
}

}  // namespace

TEST(TranslationMap, LookupsInEveryMode) {
    const TranslationMap m = sampleMap();
    using M = TranslationMode;
    const struct {
        const char* text;
        const char* key;
        int ordinal;
        M mode;
        std::optional<std::string> expected;
    } cases[] = {
        {"Install now?", "{AAAA}", 1, M::All, "Jetzt installieren?"},
        {"Install now?", "{aaaa}", 1, M::All, "Jetzt installieren?"},          // keys ignore case
        {"Setup", "{AAAA}", 2, M::All, "Installation"},                        // second parameter
        {"Install now?", "{CCCC}", 1, M::All, std::nullopt},                   // unknown key
        {"Install now?", "{AAAA}", 0, M::All, std::nullopt},                   // no ordinal 0
        {"Done", "{BBBB}", 1, M::All, std::nullopt},                           // translated file too short
        {"Install now?", "{AAAA}", 1, M::VariablesOnly, std::nullopt},         // not a variable
        {"Hello", "CODEGEAR$GREETING$CODEGEAR", 1, M::VariablesOnly, "Hallo"},
        {"Install now?", "{AAAA}", 1, M::UnchangedOnly, "Jetzt installieren?"},
        {"Install now!", "{AAAA}", 1, M::UnchangedOnly, std::nullopt},         // edited since translation
        {"install now?", "{AAAA}", 1, M::UnchangedOnly, std::nullopt},         // exact comparison
    };
    for (const auto& c : cases)
        EXPECT_EQ(m.lookup(c.text, c.key, c.ordinal, c.mode), c.expected) << c.key << " " << c.ordinal << " " << c.text;
}

TEST(TranslationMap, LookupBeyondTheOriginalsInUnchangedModeKeepsTheText) {
    TranslationMap m = sampleMap();
    m.originals.resize(1);
    EXPECT_EQ(m.lookup("Install now?", "{AAAA}", 1, TranslationMode::UnchangedOnly), std::nullopt);
    EXPECT_EQ(m.lookup("Install now?", "{AAAA}", 1, TranslationMode::All), "Jetzt installieren?");
}

TEST(TranslationMap, ControlText) {
    TranslationMap m = sampleMap();
    EXPECT_EQ(m.controlText("welcome.DFM", "label1"), "Willkommen");
    EXPECT_EQ(m.controlText("Other.dfm", "Label1"), std::nullopt);
    EXPECT_EQ(m.controlText("Welcome.dfm", "Label2"), std::nullopt);
    m.translated.clear();  // a translated file shorter than the map
    EXPECT_EQ(m.controlText("Welcome.dfm", "Label1"), std::nullopt);
}
