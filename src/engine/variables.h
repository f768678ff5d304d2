// The variable operations the engine's commands use, on top of the store
// (variable_manager.h): reading, declaring and assigning with a context, variable references,
// path expansion, newline escapes, compile-time constants and boolean texts.
//
// Every assignment names its origin in a context text, usually the command name followed by
// " Action". Only one rule reads it: in silent mode a variable given on the command line
// (NAME=VALUE) keeps that value against every assignment except the one whose context is
// kOverrideContext, so a silent install cannot be redirected by the script.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bootstrap/command_line.h"
#include "variable_manager.h"

namespace qs {

struct Engine;

inline constexpr std::string_view kOverrideContext = "Inject Override Command Line";
// What the marker form of referenceValue returns for a reference to a missing variable.
inline constexpr std::string_view kUndefinedMarker = "$KYRUNX$";

// True when `name` (any case) is one of the NAME entries of the command-line overrides.
bool isOverriddenName(const bootstrap::CommandLineOptions& options, std::string_view name);

// The value, or empty when the variable does not exist; nothing is created.
std::string getVariable(const Engine& engine, std::string_view name);

// Silent mode only: an assignment to an overridden name with any context other than
// kOverrideContext is dropped. Otherwise the variable is set, and created when missing.
void assignVariable(TVariableManager& store, const bootstrap::CommandLineOptions& options, std::string_view name,
                    std::string_view value, std::string_view context);
void assignVariable(Engine& engine, std::string_view name, std::string_view value, std::string_view context);

// Nothing for an empty name; a missing variable is added with `value` (the override rule does
// not apply to a new variable); an existing one is assigned as by assignVariable.
void declareVariable(TVariableManager& store, const bootstrap::CommandLineOptions& options, std::string_view name,
                     std::string_view value, std::string_view context);
void declareVariable(Engine& engine, std::string_view name, std::string_view value, std::string_view context);

// Variable references in parameters: NAME, or $NAME$. The enclosed form is recognised only
// when the text starts with "$" and the only other "$" is its last character.
bool isEnclosedReference(std::string_view reference);
// The name a reference denotes: the text between the dollars of the enclosed form, else the
// text itself.
std::string_view referenceName(std::string_view reference);

// The expanded value of the variable a reference denotes, or empty when it does not exist.
std::string referenceValue(const TVariableManager& store, std::string_view reference);
std::string referenceValue(const Engine& engine, std::string_view reference);
// As referenceValue, but kUndefinedMarker for a missing variable (pages use it to tell an
// unbound control from an empty value).
std::string referenceValueOrMarker(const TVariableManager& store, std::string_view reference);
std::string referenceValueOrMarker(const Engine& engine, std::string_view reference);

// Expands, then folds every doubled backslash to one. A text whose expansion starts with a
// doubled backslash (a network path) keeps both leading backslashes.
std::string expandPath(const TVariableManager& store, std::string_view text);
std::string expandPath(const Engine& engine, std::string_view text);

// CR LF <-> "$NEWLINE$", for values that must stay on one line. The escape is found ignoring case.
std::string newlinesToText(std::string_view text);
std::string textToNewlines(std::string_view text);

// #NAME# constants of the package (expansion.h has the rules and bounds).
std::string expandConstants(const Engine& engine, std::string_view text);

// Boolean texts: true when the upper-case form is "TRUE" or the text is exactly "-1".
bool toBoolean(std::string_view text);
std::string fromBoolean(bool flag);

}  // namespace qs
