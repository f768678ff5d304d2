// How a command reads its parameters and stores its results.
//
// Parameter kinds (parameter n of the script line; 1 is the first after the line key):
//   name         the text as written: a variable name, not expanded
//   name$        as name, but "$NAME$" (a "$" first, and the only other "$" last) gives NAME
//   text         expanded ($NAME$ references replaced)
//   path         expanded, then doubled backslashes folded (a network path keeps its leading pair)
//   localizable  translated for the current language when a translator is installed, then
//                expanded (or expanded as a path)
//   bool         "TRUE" in any case, or exactly "-1"; the text as written unless "expanded"
//   number       a signed integer; any other text fails the command with EngineError
//
// Results: a result variable that does not exist is first created empty under the upper-cased
// name; the result is then assigned (override-aware) with the context command name + " Action".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qs {
struct Engine;
}

namespace qs::commands {

std::string nameParameter(const Engine& engine, int line, int n);
std::string nameReferenceParameter(const Engine& engine, int line, int n);
std::string textParameter(const Engine& engine, int line, int n);
std::string pathParameter(const Engine& engine, int line, int n);
std::string localizableParameter(const Engine& engine, int line, int n, int field);
std::string localizablePathParameter(const Engine& engine, int line, int n, int field);
bool boolParameter(const Engine& engine, int line, int n);
bool expandedBoolParameter(const Engine& engine, int line, int n);
std::int32_t numberParameter(const Engine& engine, int line, int n);

// The text a localizable parameter stands for before expansion: translated when the engine
// has a translator installed (localization mode), else unchanged.
std::string translateParameter(const Engine& engine, const std::string& text, int line, int field);

// Creates the variable empty under the upper-cased name when it does not exist (nothing for
// an empty name).
void ensureResultVariable(Engine& engine, std::string_view name);
// ensureResultVariable, then assigns `value` with the context `command` + " Action".
void storeResult(Engine& engine, std::string_view name, std::string_view value, std::string_view command);
std::string actionContext(std::string_view command);

}  // namespace qs::commands
