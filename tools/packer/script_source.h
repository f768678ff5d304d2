// The readable script source: one command per line.
//
//   # a comment, not part of the script
//   Set Variable("TARGETDIR", "$PROGRAMFILES$\Demo")   # trailing comment
//   // Install Files("*.txt", "", "$TARGETDIR$")        a disabled (commented-out) line
//   Wizard Loop()                                      a command without parameters
//   Label("START")                                     a label is a command line of its own
//   %include "common.qss"                              another source file, in place
//   %media "OFFLINE\"                                  media sub-folder of the following lines
//
// Parameters are quoted; two double quotes inside stand for one, and nothing else is special,
// so every text without a line break can be written. docs/script-format.md has the full rules.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qs::pack {

struct ScriptLine {
    std::string command;
    std::vector<std::string> parameters;  // parameter 1 first
    bool disabled = false;
    std::string mediaPath;                // set by %media, empty by default
    std::string sourceFile;               // the source path as stored in the package
    int sourceLine = 0;                   // zero-based line number in that file
};

struct Script {
    std::vector<ScriptLine> lines;
};

// Gives the bytes of a source file; throws PackError when it cannot be read.
using SourceLoader = std::function<std::string(const std::filesystem::path&)>;

// Reads a whole file in binary; throws PackError naming the file when it cannot.
std::string readSourceFile(const std::filesystem::path& file);

// Reads `mainFile` and the files it includes (relative to the including file's folder).
// Source paths are stored relative to `root` with backslashes (the package runs on Windows).
// Throws PackError with file and line on the first fault.
Script loadScript(const std::filesystem::path& mainFile, const std::filesystem::path& root,
                  const SourceLoader& load = readSourceFile);

// Parses one source text named `sourceName` (no includes allowed without a loader).
Script parseScript(std::string_view text, const std::string& sourceName);

// Why a parameter text cannot be carried in a package, or empty when it can. The engine reads
// the whole parameters "$DOLLAR$" and "$WILD_DOLLAR$" (any case) back as "$", so those two
// texts have no encoding.
std::string parameterProblem(std::string_view text);

}  // namespace qs::pack
