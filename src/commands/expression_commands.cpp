#include "expression_commands.h"

#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/variables.h"

namespace qs {

namespace {
constexpr std::string_view kContext = "Evaluate Expression Action";
}

void evaluateExpressionCommand(Engine& engine, int line) {
    const auto index = static_cast<std::size_t>(line);
    const std::string& target = engine.script.lineParameter(index, 2);
    if (!target.empty()) engine.variables.addIfMissing(target, "");
    const std::string result = evaluateScriptExpression(engine.variables, engine.script.lineParameter(index, 1));
    if (!target.empty()) assignVariable(engine, target, result, kContext);
}

}  // namespace qs
