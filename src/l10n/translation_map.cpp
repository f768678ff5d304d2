#include "translation_map.h"

#include <algorithm>

#include "engine/text_case.h"

namespace qs::l10n {
namespace {

constexpr std::string_view kKeyPrefix = "CODEGEAR$";
constexpr std::string_view kKeySuffix = "$CODEGEAR";

}  // namespace

TranslationMode translationModeOf(std::string_view mode) {
    if (equalsIgnoreCase(mode, "VARSONLY")) return TranslationMode::VariablesOnly;
    if (equalsIgnoreCase(mode, "NEWONLY")) return TranslationMode::UnchangedOnly;
    return TranslationMode::All;
}

std::string localizationVariableKey(std::string_view name) {
    std::string key(kKeyPrefix);
    key += name;
    key += kKeySuffix;
    return key;
}

bool isLocalizationVariableKey(std::string_view key) {
    return key.find(kKeyPrefix) != std::string_view::npos && key.find(kKeySuffix) != std::string_view::npos;
}

std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\r' && content[i] != '\n') continue;
        lines.emplace_back(content.substr(start, i - start));
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < content.size()) lines.emplace_back(content.substr(start));
    return lines;
}

std::optional<std::string> TranslationMap::controlText(std::string_view dialogFile, std::string_view control) const {
    const std::size_t n = std::min(keys.size(), dialogs.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!equalsIgnoreCase(dialogs[i], dialogFile) || !equalsIgnoreCase(keys[i], control)) continue;
        if (i < translated.size()) return translated[i];
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> TranslationMap::lookup(std::string_view text, std::string_view key, int ordinal,
                                                  TranslationMode mode) const {
    if (mode == TranslationMode::VariablesOnly && !isLocalizationVariableKey(key)) return std::nullopt;
    if (ordinal < 1) return std::nullopt;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!equalsIgnoreCase(keys[i], key)) continue;
        const std::size_t j = i + static_cast<std::size_t>(ordinal) - 1;
        if (j >= translated.size()) return std::nullopt;
        if (mode == TranslationMode::UnchangedOnly && (j >= originals.size() || originals[j] != text))
            return std::nullopt;
        return translated[j];
    }
    return std::nullopt;
}

}  // namespace qs::l10n
