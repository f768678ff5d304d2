// The engine's start-up and shutdown sequence, from the command line to the exit code.
//
// The sequence is portable: the platform, the start-up windows, the archive library, the dialog
// engine and the script runner come in through interfaces, so it runs natively in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "startup_services.h"

namespace qs {
struct Engine;
}

namespace qs::bootstrap {

// Exit codes of start-up.
inline constexpr int kExitRuntimeError = 11;
inline constexpr int kExitNoScript = 13;
inline constexpr int kExitNoResource = 14;
inline constexpr int kExitBadResource = 15;
inline constexpr int kExitNoDatabase = 16;

struct StartupInputs {
    std::string rawCommandLine;
    // Offset of the appended data in the engine's file, from its module headers in memory.
    std::uint64_t engineAppendedOffset = 0;
    // The data appended to yib.lib (a language file), when there are any.
    std::optional<std::string> archiveLibraryAppendedData;
    // The system language's name, for choosing a section of a language file.
    std::string systemLanguage;
};

// Outcome of preparing the package.
enum class PackageStatus { Ready, NoAppendedData, ArchiveMissing, ExtractionFailed, DatabaseMissing };

// Runs start-up, the script and shutdown; returns the process exit code. Early exits (13 to 16)
// return at once and leave the support folder on disk.
int runEngine(Engine& engine, StartupServices& services, const StartupInputs& inputs);

// The package preparation alone (appended data, global lists, support folder, archive,
// database copies, data folder, dialog pre-loading). Throws std::exception on read/write errors.
PackageStatus preparePackage(Engine& engine, StartupServices& services, const StartupInputs& inputs);

}  // namespace qs::bootstrap
