// The engine's own user-interface texts, with English defaults, replaceable by language files.
//
// A language file section has 115 lines; lines 91 to 111 are reserved and skipped, so the
// table holds 94 texts. Texts are addressed by their line number in a section (1 to 90 and
// 112 to 115).
#pragma once

#include <array>
#include <string>

namespace qs::l10n {

// Line numbers of the texts the engine itself uses.
namespace msg {
inline constexpr int ResourceNotFound = 2;
inline constexpr int DecompressionFailure = 3;
inline constexpr int DatabaseNotFound = 4;
inline constexpr int RuntimeErrorInInstall = 5;
inline constexpr int RuntimeErrorInScript = 20;
inline constexpr int WizardCaption = 23;
inline constexpr int PreparingText = 24;
}  // namespace msg

class MessageTable {
public:
    static constexpr int kSectionLines = 115;

    MessageTable();  // the English defaults

    // The text of section line `line` (1..90, 112..115); empty for reserved or invalid lines.
    const std::string& text(int line) const;

    // Loads a language file's content: the first section, then named sections one after the
    // other, stopping after the section whose name equals `systemLanguage` (case-insensitive).
    // Every section read replaces the texts read so far; a file that ends inside a section
    // keeps the lines read up to there.
    void load(const std::string& fileContent, const std::string& systemLanguage);

private:
    static int slot(int line);  // index into texts_, or -1
    std::array<std::string, 94> texts_;
};

}  // namespace qs::l10n
