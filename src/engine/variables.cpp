#include "variables.h"

#include "engine.h"
#include "expansion.h"

namespace qs {

bool isOverriddenName(const bootstrap::CommandLineOptions& options, std::string_view name) {
    const auto& pairs = options.overrides;
    for (std::size_t i = 0; i < pairs.size(); i += 2)
        if (NameEqual{}(pairs[i], name)) return true;
    return false;
}

std::string getVariable(const Engine& engine, std::string_view name) { return engine.variables.get(name); }

void assignVariable(TVariableManager& store, const bootstrap::CommandLineOptions& options, std::string_view name,
                    std::string_view value, std::string_view context) {
    if (options.silent && context != kOverrideContext && isOverriddenName(options, name)) return;
    store.set(name, value);
}

void assignVariable(Engine& engine, std::string_view name, std::string_view value, std::string_view context) {
    assignVariable(engine.variables, engine.options, name, value, context);
}

void declareVariable(TVariableManager& store, const bootstrap::CommandLineOptions& options, std::string_view name,
                     std::string_view value, std::string_view context) {
    if (name.empty()) return;
    if (store.addIfMissing(name, value)) return;
    assignVariable(store, options, name, value, context);
}

void declareVariable(Engine& engine, std::string_view name, std::string_view value, std::string_view context) {
    declareVariable(engine.variables, engine.options, name, value, context);
}

bool isEnclosedReference(std::string_view reference) {
    if (reference.size() < 2 || reference.front() != '$') return false;
    return reference.find('$', 1) == reference.size() - 1;
}

std::string_view referenceName(std::string_view reference) {
    return isEnclosedReference(reference) ? reference.substr(1, reference.size() - 2) : reference;
}

std::string referenceValue(const TVariableManager& store, std::string_view reference) {
    std::optional<std::string> value = store.find(referenceName(reference));
    return value ? store.expand(*value) : std::string();
}

std::string referenceValue(const Engine& engine, std::string_view reference) {
    return referenceValue(engine.variables, reference);
}

std::string referenceValueOrMarker(const TVariableManager& store, std::string_view reference) {
    std::optional<std::string> value = store.find(referenceName(reference));
    return value ? store.expand(*value) : std::string(kUndefinedMarker);
}

std::string referenceValueOrMarker(const Engine& engine, std::string_view reference) {
    return referenceValueOrMarker(engine.variables, reference);
}

std::string expandPath(const TVariableManager& store, std::string_view text) {
    const std::string expanded = store.expand(text);
    std::string out;
    out.reserve(expanded.size());
    for (std::size_t i = 0; i < expanded.size(); ++i) {
        out.push_back(expanded[i]);
        if (expanded[i] == '\\' && i + 1 < expanded.size() && expanded[i + 1] == '\\') ++i;
    }
    if (expanded.compare(0, 2, "\\\\") == 0) out.insert(out.begin(), '\\');
    return out;
}

std::string expandPath(const Engine& engine, std::string_view text) { return expandPath(engine.variables, text); }

namespace {
constexpr std::string_view kNewlineEscape = "$NEWLINE$";
}

std::string newlinesToText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += kNewlineEscape;
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string textToNewlines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '$' && NameEqual{}(text.substr(i, kNewlineEscape.size()), kNewlineEscape)) {
            out += "\r\n";
            i += kNewlineEscape.size();
        } else {
            out.push_back(text[i++]);
        }
    }
    return out;
}

std::string expandConstants(const Engine& engine, std::string_view text) {
    return expandConstantsIn(text, engine.lists.constants);
}

bool toBoolean(std::string_view text) { return text == "-1" || NameEqual{}(text, "TRUE"); }

std::string fromBoolean(bool flag) { return flag ? "TRUE" : "FALSE"; }

}  // namespace qs
