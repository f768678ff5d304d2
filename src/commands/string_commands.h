// The commands that set variables and compute texts from them: "Set Variable",
// "Get Temporary File", "Convert Path", "Convert Case", "Replace String", "Extract Path" and
// "Parse String". Each handler reads its parameters as parameters.h describes and fails by
// throwing EngineError.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "commands/command_state.h"

namespace qs {
struct Engine;
namespace platform {
class FileSystem;
}
}  // namespace qs

namespace qs::commands {

void setVariableCommand(Engine& engine, int line);
void getTemporaryFileCommand(Engine& engine, int line);
void convertPathCommand(Engine& engine, int line);
void convertCaseCommand(Engine& engine, int line);
void replaceStringCommand(Engine& engine, int line);
void extractPathCommand(Engine& engine, int line);
void parseStringCommand(Engine& engine, int line);

// Shows a progress update on the progress page, through the display the page installed
// (engine.commands.progressDisplay); without one nothing is shown.
void updateProgressDisplay(Engine& engine, const ProgressUpdate& update);

// The long form of a path: every component that exists in its stored (long) name. Double
// quotes and one trailing backslash are removed first; a path that does not exist comes back
// as it stands then.
std::string longPathForm(platform::FileSystem& files, std::string path);

// The part of a path that "Extract Path" gives for `code` (0 file name, 1 name without
// extension, 2 extension without dot, 3 folder, 4 parent folder, 5 drive, 6 doubled
// backslashes folded, anything else the path itself).
std::string extractPathPart(const std::string& path, std::int32_t code);

// "Replace String" on a value: occurrences of `find` (the first, or all) replaced from left
// to right, each search continuing after the previous match. With `upperCase` the comparison
// is made on both texts upper-cased by it (which keeps their lengths).
std::string replaceText(const std::string& value, const std::string& find, const std::string& replacement,
                        bool replaceAll, const std::function<std::string(const std::string&)>& upperCase);

}  // namespace qs::commands
