#include "localization.h"

#include "engine/engine.h"
#include "engine/variables.h"
#include "languages.h"

namespace qs::l10n {
namespace {

constexpr std::string_view kCommandContext = "Localization Variable Action";

std::vector<std::string> readLines(Engine& e, const std::string& path) {
    std::optional<std::string> content = e.platform.files.readFile(path);
    return content ? splitLines(*content) : std::vector<std::string>();
}

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace

bool localizationMode(const Engine& e) { return !getVariable(e, "LANGUAGE").empty(); }

void reloadTranslations(Engine& e) {
    Localization& l = e.localization;
    l.currentLanguage = getVariable(e, "LANGUAGE");
    if (l.currentLanguage.empty() || l.currentLanguage == l.lastLoaded) return;
    l.lastLoaded = l.currentLanguage;
    const std::string& folder = e.supportFolder;
    l.map.dialogs = readLines(e, folder + "translations.Map");
    l.map.translated = readLines(e, folder + "translations." + l.currentLanguage);
    l.map.originals = readLines(e, folder + "translations.Original");
    l.map.keys = readLines(e, folder + e.lists.productTitle + ".mtx");
    const std::string shared = folder + "shared.translations." + l.currentLanguage;
    if (e.platform.files.fileExists(shared)) loadMessageTable(e, shared);
}

std::string translate(Engine& e, std::string_view text, std::string_view key, int ordinal) {
    if (!localizationMode(e)) return std::string(text);
    const TranslationMode mode = translationModeOf(expandConstants(e, "#LOCMODE#"));
    std::optional<std::string> line = e.localization.map.lookup(text, key, ordinal, mode);
    return line ? expandConstants(e, *line) : std::string(text);
}

std::optional<std::string> translateControlText(Engine& e, std::string_view dialogFile, std::string_view control) {
    if (!localizationMode(e)) return std::nullopt;
    return e.localization.map.controlText(dialogFile, control);
}

void localizationVariableCommand(Engine& e, int line) {
    const auto index = static_cast<std::size_t>(line);
    const std::string name(referenceName(e.script.lineParameter(index, 1)));
    const std::string& value = e.script.lineParameter(index, 2);
    if (!e.variables.exists(name)) declareVariable(e, name, "", kCommandContext);
    const std::string text =
        localizationMode(e) ? translate(e, value, localizationVariableKey(name), 1) : value;
    assignVariable(e, name, e.variables.expand(text), kCommandContext);
}

void loadMessageTable(Engine& e, const std::string& path) {
    std::optional<std::string> content = e.platform.files.readFile(path);
    if (content) e.messages.load(*content, systemLanguage(e.platform.system, false));
}

std::string rememberedLanguageFile(const Engine& e, const std::string& cacheFolder) {
    if (cacheFolder.empty()) return {};
    return withSlash(cacheFolder) + e.engineBaseName + ".lan";
}

bool saveRememberedLanguage(Engine& e, const std::string& cacheFolder) {
    const std::string file = rememberedLanguageFile(e, cacheFolder);
    if (file.empty()) return false;
    const std::string language = getVariable(e, "LANGUAGE");
    auto& files = e.platform.files;
    if (language.empty()) return !files.fileExists(file) || files.deleteFile(file);
    return files.writeFile(file, language + "\r\n");
}

}  // namespace qs::l10n
