#include "commands/parameters.h"

#include "engine/engine.h"
#include "engine/engine_error.h"
#include "engine/integer_text.h"
#include "engine/text_case.h"
#include "engine/variables.h"

namespace qs::commands {
namespace {

const std::string& raw(const Engine& engine, int line, int n) {
    return engine.script.lineParameter(static_cast<std::size_t>(line), static_cast<std::size_t>(n));
}

}  // namespace

std::string nameParameter(const Engine& engine, int line, int n) { return raw(engine, line, n); }

std::string nameReferenceParameter(const Engine& engine, int line, int n) {
    return std::string(referenceName(raw(engine, line, n)));
}

std::string textParameter(const Engine& engine, int line, int n) { return engine.variables.expand(raw(engine, line, n)); }

std::string pathParameter(const Engine& engine, int line, int n) { return expandPath(engine, raw(engine, line, n)); }

std::string translateParameter(const Engine& engine, const std::string& text, int line, int field) {
    if (!engine.commands.translate) return text;
    return engine.commands.translate(text, engine.script.lineKey(static_cast<std::size_t>(line)), field);
}

std::string localizableParameter(const Engine& engine, int line, int n, int field) {
    return engine.variables.expand(translateParameter(engine, raw(engine, line, n), line, field));
}

std::string localizablePathParameter(const Engine& engine, int line, int n, int field) {
    return expandPath(engine, translateParameter(engine, raw(engine, line, n), line, field));
}

bool boolParameter(const Engine& engine, int line, int n) { return toBoolean(raw(engine, line, n)); }

bool expandedBoolParameter(const Engine& engine, int line, int n) { return toBoolean(textParameter(engine, line, n)); }

std::int32_t numberParameter(const Engine& engine, int line, int n) {
    const std::string& text = raw(engine, line, n);
    const auto number = parseInt32(text);
    if (!number) throw EngineError(notAnIntegerMessage(text));
    return *number;
}

void ensureResultVariable(Engine& engine, std::string_view name) {
    if (name.empty()) return;
    engine.variables.addIfMissing(toUpperAscii(name), "");
}

std::string actionContext(std::string_view command) { return std::string(command) + " Action"; }

void storeResult(Engine& engine, std::string_view name, std::string_view value, std::string_view command) {
    ensureResultVariable(engine, name);
    assignVariable(engine, name, value, actionContext(command));
}

}  // namespace qs::commands
