// Data appended to the files of loaded modules (the engine, yib.lib).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace qs::bootstrap {

// Offset of the appended data of `module`'s file, read from the module's headers in memory.
std::optional<std::uint64_t> appendedOffsetOfModule(HMODULE module);

// The bytes appended to the library at `path` (loaded for the look and released again), or
// nothing when it has none or cannot be loaded.
std::optional<std::string> appendedDataOfLibrary(const std::string& path);

}  // namespace qs::bootstrap
