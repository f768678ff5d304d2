// The dispatch table of the interpreter: command names to their handlers.
//
// Names compare case-sensitively ("Set Variable", never "set variable"). A handler runs the
// script line whose index it is given, reads that line's parameters through the script model
// and fails by throwing EngineError. The plug-in commands of the package come before the table
// (see Interpreter), and the flow commands ("If", "Else If", "Else", "End", "Wizard Loop",
// "GoTo Label") are the interpreter's own and never looked up here.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace qs {

struct Engine;

using CommandHandler = void (*)(Engine& engine, int line);

class CommandTable {
public:
    // Registers `handler` for `name`, replacing an earlier registration of the same name.
    void add(std::string_view name, CommandHandler handler) { handlers_[std::string(name)] = handler; }
    // The handler of `name`, or nullptr when it has none (the line then does nothing).
    CommandHandler find(std::string_view name) const {
        auto it = handlers_.find(std::string(name));
        return it == handlers_.end() ? nullptr : it->second;
    }
    std::size_t size() const { return handlers_.size(); }

private:
    std::unordered_map<std::string, CommandHandler> handlers_;
};

// Every command the engine implements so far, by its script name.
CommandTable standardCommands();

}  // namespace qs
