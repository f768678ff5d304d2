// The choice of language before the first script line.
//
// The language machinery is on when the support folder holds the project's ".mtx" key file.
// The languages offered are the files "translations.<language>" there (without the map, the
// originals and the message-table files "shared.translations.*"). The package's default
// language is taken when it is offered; on a first install with the language dialog switched
// on the user picks one (a silent run takes the preselection); a maintenance run or a patch
// takes the language remembered at installation. The command line's LANGUAGE=name comes later
// and wins over all of these.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qs {
struct Engine;
}

namespace qs::l10n {

// The languages the support folder offers, in the order the system lists the files.
std::vector<std::string> availableLanguages(Engine& engine);

// The language the dialog preselects: the first one equal (any case) to the system's language,
// else the last one equal to the package's default language, else the first one.
std::size_t preselectLanguage(const std::vector<std::string>& languages, std::string_view systemLanguage,
                              std::string_view defaultLanguage);

enum class LanguageChoice {
    Made,       // LANGUAGE holds the chosen language (empty when localization stays off)
    Cancelled,  // the user cancelled the language dialog: the run ends without running a line
};

// Resets the localization state, chooses the start-up language as described above and sets
// LANGUAGE (context "Initialization"). Needs MAINTENANCE from the bootstrap and ENGINECACHE for
// the remembered language.
LanguageChoice selectStartupLanguage(Engine& engine);

}  // namespace qs::l10n
