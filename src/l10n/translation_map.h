// The translation map of one language: four parallel lists of lines read from the support
// folder. Line i of each belongs together:
//   keys        the project's ".mtx" file: a control name, a script line's key (GUID), or
//               "CODEGEAR$" + variable name + "$CODEGEAR" for a localization variable
//   dialogs     "translations.Map": the dialog file of a control ("Welcome.dfm"), else unused
//   originals   "translations.Original": the text as the script or page was written
//   translated  "translations." + language: the text to show
// A script line's translatable parameters take consecutive lines from its key's line on, in
// the order of their ordinal (1 is the key's own line).
//
// The files come from packages and may disagree in length: a lookup whose line lies beyond
// the end of a list finds nothing, and the caller keeps the untranslated text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs::l10n {

// What #LOCMODE# asks for: every text, localization variables only ("VARSONLY"), or only
// texts that are unchanged since they were translated ("NEWONLY").
enum class TranslationMode { All, VariablesOnly, UnchangedOnly };
TranslationMode translationModeOf(std::string_view expandedLocMode);

// "CODEGEAR$" + name + "$CODEGEAR".
std::string localizationVariableKey(std::string_view variableName);
// True when the key holds both "CODEGEAR$" and "$CODEGEAR".
bool isLocalizationVariableKey(std::string_view key);

// The lines of a text file: CR LF, LF and CR end a line; a line break at the very end does not
// start another line.
std::vector<std::string> splitLines(std::string_view content);

struct TranslationMap {
    std::vector<std::string> keys;
    std::vector<std::string> dialogs;
    std::vector<std::string> originals;
    std::vector<std::string> translated;

    // The translated text of control `control` on dialog `dialogFile`: the first line whose
    // dialog and key equal them (ASCII case ignored). Nothing when there is none.
    std::optional<std::string> controlText(std::string_view dialogFile, std::string_view control) const;

    // The translated line for `text`, the `ordinal`-th translatable text (from 1) of `key`,
    // before constants are substituted; nothing when `text` stays as it is: the mode excludes
    // it, the key is unknown, the line is missing, or (UnchangedOnly) the original differs
    // from `text`.
    std::optional<std::string> lookup(std::string_view text, std::string_view key, int ordinal,
                                      TranslationMode mode) const;
};

}  // namespace qs::l10n
