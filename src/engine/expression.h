// The boolean expression language of "Evaluate Expression": comparisons of quoted texts joined
// by "and" and "or", with parentheses. The grammar is at the top of expression.cpp.
//
// Evaluation never throws and never fails the command: the result is "TRUE" or "FALSE"; "ERROR"
// when part of the text could not be parsed; an empty text when the parse failed (an unknown
// operator, say) but consumed the whole text.
#pragma once

#include <string>
#include <string_view>

#include "variable_manager.h"

namespace qs {

// Nesting deeper than this is not parsed (the rest of the text is left, giving "ERROR"), so a
// hostile text cannot exhaust the stack.
inline constexpr int kMaxExpressionDepth = 256;

// Evaluates `text` enclosed in parentheses.
std::string evaluateExpression(std::string_view text);

// The value "Evaluate Expression" assigns: `expression` with every known $NAME$ replaced by its
// value in double quotes, then evaluated.
std::string evaluateScriptExpression(const TVariableManager& store, std::string_view expression);

// The check of the compile pass: an expression whose "$" signs are read as double quotes must
// not give "ERROR".
bool expressionCompiles(std::string_view expression);

}  // namespace qs
