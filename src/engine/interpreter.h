// The script interpreter: prepares the run, executes the script line by line on the main thread
// with its flow control (conditional chains, wizard loops, jumps), dispatches each line to its
// handler, reports runtime errors and ends the script.
//
// Call order inside run(): preparation (compile pass, initial variables, bootstrap, label
// table, package checks, single-instance lock, language, command-line overrides), then the
// main loop, then the script end, then the runner's post-run work. A script that does not
// compile ends the process with exit code 314 through the platform. An error thrown by a line
// never leaves run(): it is shown as the runtime-error message (unless silent) and ends the
// script; errors of the preparation itself do leave it.
#pragma once

#include <cstddef>
#include <string>

#include "bootstrap/startup_services.h"
#include "command_table.h"

namespace qs {

struct Engine;

// Flow commands the interpreter runs itself; they are never looked up in the command table.
namespace command {
inline constexpr const char* If = "If";
inline constexpr const char* ElseIf = "Else If";
inline constexpr const char* Else = "Else";
inline constexpr const char* End = "End";
inline constexpr const char* WizardLoop = "Wizard Loop";
inline constexpr const char* GoToLabel = "GoTo Label";
inline constexpr const char* DisplayDialog = "Display Dialog";
inline constexpr const char* Ignore = "Ignore";
}  // namespace command

// Pending window messages are processed before every line whose index is a multiple of this.
inline constexpr std::size_t kMessagePumpInterval = 314;

class Interpreter final : public bootstrap::ScriptRunner {
public:
    Interpreter();  // with standardCommands()
    explicit Interpreter(CommandTable commands);

    // RunScript: the interpreter, then the post-run work of the runner. Returns when done; the
    // exit code may be set in the engine.
    void run(Engine& engine) override;

    // The interpreter alone: preparation, main loop and script end (or runtime error).
    void interpret(Engine& engine);

private:
    bool prepare(Engine& engine);
    void mainLoop(Engine& engine);
    void dispatch(Engine& engine, std::size_t line, int arrival);

    CommandTable commands_;
};

// The text of the runtime-error message for an error `message` raised by script line `line`:
// the message-table heading, the source file name without folder and extension, the source
// line number counted from 1, and the message.
std::string runtimeErrorText(const Engine& engine, std::size_t line, const std::string& message);

}  // namespace qs
