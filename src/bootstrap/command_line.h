// The engine's command line: the tail handed to the script, and the start-up options.
#pragma once

#include <string>
#include <vector>

namespace qs::bootstrap {

struct CommandLineOptions {
    bool silent = false;          // /s, -s, /qn, -qn (any case)
    bool update = false;          // /update, /updatesetup: no start-up windows
    std::string policyPath;       // /g=  (lower-cased)
    std::string wrapperPath;      // /m=  (lower-cased)
    std::string logPath;          // /l= or -l=  (lower-cased); non-empty turns the trace log on
    std::string sourceOverride;   // /p= or -p=  (lower-cased)
    // NAME, VALUE, NAME, VALUE, ... in command-line order; NAME upper-cased, VALUE as given.
    std::vector<std::string> overrides;
};

// The raw process command line without the program name: after a leading quoted program name,
// everything past the closing quote and one more character; otherwise everything after the
// first blank; empty when there is neither.
std::string commandLineTail(const std::string& rawCommandLine);

// The process arguments after the program name, split at blanks and control characters;
// double quotes group and are removed.
std::vector<std::string> commandLineParameters(const std::string& rawCommandLine);

CommandLineOptions parseCommandLineOptions(const std::vector<std::string>& parameters);

}  // namespace qs::bootstrap
