// The condition of "If" and "Else If": a variable's value compared with a text.
//
// Parameters of the line: 1 the variable reference (NAME or $NAME$), 2 the operator code,
// 3 the comparand (its variable references are expanded), 4 the negation flag (boolean text).
//
//   "0" equal, "1" contains, "2" greater, "3" contains ignoring case (system mapping),
//   "4" equal ignoring the case of a-z, "5" the variable exists, "6" version greater.
//
// For "0" to "4", when subject and comparand both read as 32-bit integer texts
// (integer_text.h) they compare as numbers, "2" as greater and all the others as equal;
// otherwise as texts:
//   "0" identical, "1" the comparand occurs in the subject, "2" greater byte by byte
//   (unsigned; a proper prefix is smaller), "3" as "1" after upper-casing both with the
//   system's mapping, "4" equal when a-z and A-Z are folded.
// An empty comparand is never found ("1", "3"). Any other operator code is false.
// The result is the comparison exclusive-or the negation flag.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qs {

struct Engine;

// Replaces a parameter text by its translation in the active language. The languages module
// supplies it; without one, texts stay as written.
using ParameterTranslator = std::function<std::string(const Engine& engine, std::string_view text)>;
// Upper-cases a text with the system's mapping for the ANSI code page.
using UpperCaseMapping = std::function<std::string(const std::string& text)>;

// Four version components, missing ones 0.
using VersionNumber = std::array<std::int32_t, 4>;

// Reads up to four components separated by dots. A component followed by a dot must be a
// decimal integer text, else EngineError is thrown; the last component read (no dot after
// it) is 0 when it is not a number. Text after the fourth component is ignored unread.
VersionNumber readVersion(std::string_view text);

// True when `subject` is a strictly greater version than `comparand` (component by component
// from the first). Throws as readVersion.
bool versionGreater(std::string_view subject, std::string_view comparand);

// Operators "0" to "4" and "6" on the expanded subject and comparand, without negation.
// "5" and unknown codes are false here. Throws EngineError only for "6" (readVersion).
bool compareValues(std::string_view op, const std::string& subject, const std::string& comparand,
                   const UpperCaseMapping& upperCase);

// The condition of "If" / "Else If" line `line`. While LANGUAGE is not empty, parameters 1
// and 3 are first passed through `translate` (when given). The upper-case mapping of
// operator "3" is the platform's. Throws EngineError when a version text is malformed.
bool evaluateCondition(const Engine& engine, int line, const ParameterTranslator& translate = {});

}  // namespace qs
