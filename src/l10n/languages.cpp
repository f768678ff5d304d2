#include "languages.h"

#include <iterator>

#include "engine/text_case.h"
#include "platform/system_info.h"

namespace qs::l10n {
namespace {

// "Portugese" is the spelling that existing translation files and LANGUAGE values carry.
constexpr Language kLanguages[] = {
    {"Arabic", 1025},   {"Catalan", 1027},  {"Chinese (Taiwan)", 1028},     {"Chinese (PRC)", 2052},
    {"Czech", 1029},    {"Danish", 1030},   {"German", 1031},               {"Greek", 1032},
    {"English", 1033},  {"Spanish", 3082},  {"Estonian", 1061},             {"Finnish", 1035},
    {"Hebrew", 1037},   {"Hungarian", 1038}, {"Italian", 1040},             {"Japanese", 1041},
    {"Korean", 1042},   {"Lithuanian", 1063}, {"Latvian", 1062},            {"Dutch", 1043},
    {"Norwegian", 1044}, {"Polish", 1045},  {"Portugese (Brazil)", 1046},   {"French", 1036},
    {"Portugese (Portugal)", 2070}, {"Romanian", 1048}, {"Russian", 1049},  {"Croatian", 1050},
    {"Slovak", 1051},   {"Swedish", 1053},  {"Thai", 1054},                 {"Turkish", 1055},
    {"Slovenian", 1060}, {"Vietnamese", 1066}, {"Basque", 1069},
};
static_assert(std::size(kLanguages) == 35);

const Language* byLcid(unsigned lcid) {
    for (const Language& l : kLanguages)
        if (l.lcid == lcid) return &l;
    return nullptr;
}

}  // namespace

const Language* knownLanguages(std::size_t& count) {
    count = std::size(kLanguages);
    return kLanguages;
}

unsigned languageToLcidNumber(std::string_view name) {
    for (const Language& l : kLanguages)
        if (equalsIgnoreCase(l.name, name)) return l.lcid;
    return kEnglishLcid;
}

std::string languageToLcid(std::string_view name) { return std::to_string(languageToLcidNumber(name)); }

std::string lcidToLanguage(unsigned lcid, platform::SystemInfo& system) {
    if (const Language* l = byLcid(lcid)) return l->name;
    const std::string english = system.englishLanguageName(lcid);
    if (!english.empty()) {
        const unsigned mapped = languageToLcidNumber(english);
        if (mapped != kEnglishLcid)
            if (const Language* l = byLcid(mapped)) return l->name;
    }
    return "English";
}

unsigned parseLanguageId(std::string_view hex) {
    if (hex.empty() || hex.size() > 4) return 0;
    unsigned value = 0;
    for (char c : hex) {
        unsigned digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else return 0;
        value = value * 16 + digit;
    }
    return value;
}

std::string systemLanguage(platform::SystemInfo& system, bool defaultLanguage) {
    return lcidToLanguage(parseLanguageId(system.systemLanguageId(defaultLanguage)), system);
}

}  // namespace qs::l10n
