// The run's localization state and the engine-level calls around it: the translation map of
// the current language, reloaded when LANGUAGE changes, parameter and control translation,
// "Localization Variable", language files for the message table and the remembered language.
//
// Localization mode is on while LANGUAGE is not empty.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "translation_map.h"

namespace qs {
struct Engine;
}

namespace qs::l10n {

// A language name no language has: the first non-empty LANGUAGE always loads its map.
inline constexpr std::string_view kNoLanguageLoaded = "ZILCH";

struct Localization {
    std::string currentLanguage;                       // LANGUAGE as last read
    std::string lastLoaded{kNoLanguageLoaded};         // the language whose map is loaded
    TranslationMap map;
};

bool localizationMode(const Engine& engine);

// Called before every script line: reads LANGUAGE; when it is not empty and differs from the
// language loaded last, loads that language's map from the support folder (a missing file
// gives an empty list) and, when the support folder holds "shared.translations." + language,
// loads it into the message table. An empty LANGUAGE keeps the map but ends localization mode.
void reloadTranslations(Engine& engine);

// The text to use for `text`, the `ordinal`-th translatable parameter (from 1) of the line
// with key `key`, or of a localization variable's key. Outside localization mode, and when the
// map has no usable line, `text` itself. A translation has its #NAME# constants substituted;
// callers expand $NAME$ references afterwards.
std::string translate(Engine& engine, std::string_view text, std::string_view key, int ordinal);

// The translated text of a page's control (dialog file "Name.dfm", control name), in
// localization mode; nothing otherwise or when the map has none. #LOCMODE# does not apply.
std::optional<std::string> translateControlText(Engine& engine, std::string_view dialogFile,
                                                std::string_view control);

// "Localization Variable": parameter 1 the variable (NAME or $NAME$), parameter 2 the value.
// The variable is created empty when missing, then set to the value, translated under the
// variable's key in localization mode, with $NAME$ references expanded.
void localizationVariableCommand(Engine& engine, int line);

// Loads a language file into the message table, choosing its section by the system language.
// A file that cannot be read leaves the table as it is.
void loadMessageTable(Engine& engine, const std::string& path);

// The remembered-language file of a product cache folder: folder + engine base name + ".lan".
// Empty when `cacheFolder` is empty.
std::string rememberedLanguageFile(const Engine& engine, const std::string& cacheFolder);

// When the product is registered for maintenance: writes LANGUAGE as the only line of the
// remembered-language file in `cacheFolder`, or deletes that file when LANGUAGE is empty.
// Returns false when the file could not be written or deleted.
bool saveRememberedLanguage(Engine& engine, const std::string& cacheFolder);

}  // namespace qs::l10n
