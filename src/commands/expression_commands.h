// "Evaluate Expression": a boolean expression over variables, stored in a variable.
#pragma once

namespace qs {

struct Engine;

// Parameters: 1 the expression, 2 the result variable. The result variable is created empty
// when missing; parameter 1 is expanded with every known $NAME$ as its value in double quotes,
// evaluated (engine/expression.h) and the result ("TRUE", "FALSE", "ERROR" or empty) assigned
// with the context "Evaluate Expression Action". An empty result variable name stores nothing.
void evaluateExpressionCommand(Engine& engine, int line);

}  // namespace qs
