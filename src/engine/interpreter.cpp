#include "interpreter.h"

#include "compiler.h"
#include "engine.h"
#include "initial_variables.h"

namespace qs {

// A script that does not compile ends the process at once with this code, silently.
constexpr int kExitCompileFailed = 314;

void Interpreter::run(Engine& engine) {
    engine.trace.line("    <CompileScript>");
    engine.script = ScriptModel(engine.lists);
    if (!compileScript(engine).succeeded()) engine.platform.process.exitNow(kExitCompileFailed);
    engine.trace.line("    </CompileScript>");
    engine.variables.clear();
    createInitialVariables(engine);
}

}  // namespace qs
