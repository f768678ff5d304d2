// Language names and Windows locale identifiers.
//
// The engine knows 35 languages by name. The upper-case name finds the identifier; the
// mixed-case name is what the engine displays and what LANGUAGE holds.
#pragma once

#include <string>
#include <string_view>

namespace qs::platform {
class SystemInfo;
}

namespace qs::l10n {

inline constexpr unsigned kEnglishLcid = 1033;

struct Language {
    const char* name;
    unsigned lcid;
};

// The known languages, in table order.
const Language* knownLanguages(std::size_t& count);

// The identifier of a language name (any case); 1033 for a name the engine does not know.
unsigned languageToLcidNumber(std::string_view name);
// The same as decimal text ("1031"), as the installer's ProductLanguage takes it.
std::string languageToLcid(std::string_view name);

// The display name of a locale identifier. An identifier outside the table is named by the
// system's English name of its language ("German" for 2055, German in Switzerland) when that
// name is a known language; otherwise, and for identifiers the system does not know, "English".
std::string lcidToLanguage(unsigned lcid, platform::SystemInfo& system);

// A language identifier as the system writes it (hexadecimal, "0407"); 0 when the text is not
// a hexadecimal number that fits 16 bits.
unsigned parseLanguageId(std::string_view hex);

// The name of the system default locale's language, or with `defaultLanguage` of its default
// language (the language dialog's preselection uses that one). An identifier that cannot be
// read counts as 0 and so gives "English".
std::string systemLanguage(platform::SystemInfo& system, bool defaultLanguage);

}  // namespace qs::l10n
