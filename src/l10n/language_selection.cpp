#include "language_selection.h"

#include <optional>

#include "engine/engine.h"
#include "engine/text_case.h"
#include "engine/variables.h"
#include "language_dialog.h"
#include "languages.h"
#include "localization.h"

namespace qs::l10n {
namespace {

constexpr std::string_view kInitialization = "Initialization";
constexpr std::string_view kPrefix = "translations.";

// The first line of the remembered-language file of the product's cache, if there is one.
std::optional<std::string> rememberedLanguage(Engine& e) {
    const std::string file = rememberedLanguageFile(e, getVariable(e, "ENGINECACHE"));
    if (file.empty()) return std::nullopt;
    std::optional<std::string> content = e.platform.files.readFile(file);
    if (!content) return std::nullopt;
    std::vector<std::string> lines = splitLines(*content);
    return lines.empty() ? std::string() : lines.front();
}

LanguageDialogRequest dialogRequest(Engine& e, const std::vector<std::string>& languages) {
    LanguageDialogRequest r;
    r.caption = e.messages.text(89);
    r.label = e.messages.text(90);
    r.okText = e.messages.text(38);
    r.cancelText = e.messages.text(39);
    r.languages = languages;
    r.preselected = preselectLanguage(languages, systemLanguage(e.platform.system, true), e.lists.defaultLanguage);
    const platform::WindowsVersion& v = e.windows;
    r.currentPicture = v.major > 5 || (v.major == 5 && v.minor >= 1);
    return r;
}

}  // namespace

std::vector<std::string> availableLanguages(Engine& e) {
    auto& encoding = e.platform.encoding;
    const std::string map = encoding.upperCase("translations.Map");
    const std::string originals = encoding.upperCase("translations.Original");
    std::vector<std::string> languages;
    for (const std::string& name : e.platform.files.findFiles(e.supportFolder + "translations.*")) {
        const std::string upper = encoding.upperCase(name);
        // Only the file name counts: a support folder whose path happens to hold "shared"
        // must not hide every language.
        if (upper == map || upper == originals || name.find("shared") != std::string::npos) continue;
        if (upper.size() <= kPrefix.size() || !startsWithIgnoreCase(name, kPrefix)) continue;
        languages.push_back(name.substr(kPrefix.size()));
    }
    return languages;
}

std::size_t preselectLanguage(const std::vector<std::string>& languages, std::string_view systemLanguage,
                              std::string_view defaultLanguage) {
    for (std::size_t i = 0; i < languages.size(); ++i)
        if (equalsIgnoreCase(languages[i], systemLanguage)) return i;
    for (std::size_t i = languages.size(); i-- > 0;)
        if (equalsIgnoreCase(languages[i], defaultLanguage)) return i;
    return 0;
}

LanguageChoice selectStartupLanguage(Engine& e) {
    Localization& l = e.localization;
    l.currentLanguage.clear();
    l.lastLoaded = std::string(kNoLanguageLoaded);
    declareVariable(e, "LANGUAGE", "", kInitialization);

    if (!e.platform.files.fileExists(e.supportFolder + e.lists.productTitle + ".mtx")) return LanguageChoice::Made;

    const std::vector<std::string> languages = availableLanguages(e);
    auto& encoding = e.platform.encoding;
    const std::string wantedDefault = encoding.upperCase(e.lists.defaultLanguage);
    for (const std::string& language : languages)
        if (!e.lists.defaultLanguage.empty() && encoding.upperCase(language) == wantedDefault)
            l.currentLanguage = e.lists.defaultLanguage;

    const bool maintenance = toBoolean(getVariable(e, "MAINTENANCE"));
    const bool patch = e.platform.files.fileExists(e.supportFolder + e.engineBaseName + ".msp");
    if (!languages.empty() && e.lists.languageDialog && !maintenance && !patch) {
        const LanguageDialogRequest request = dialogRequest(e, languages);
        std::size_t chosen = request.preselected;
        if (!e.options.silent && e.languageDialog) {
            std::optional<std::size_t> answer = e.languageDialog->choose(request);
            if (!answer) return LanguageChoice::Cancelled;
            chosen = *answer < languages.size() ? *answer : request.preselected;
        }
        l.currentLanguage = languages[chosen];
    }
    if (!languages.empty() && (maintenance || patch))
        if (std::optional<std::string> remembered = rememberedLanguage(e)) l.currentLanguage = *remembered;

    declareVariable(e, "LANGUAGE", l.currentLanguage, kInitialization);
    return LanguageChoice::Made;
}

}  // namespace qs::l10n
