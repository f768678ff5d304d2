// Writes a setup package folder:
//
//   <name>.exe   the engine with the global lists appended
//   <name>.res   7z archive of the support folder (made by running 7zz)
//   <name>.msi   and/or <name>.msp, copied
//   setup.bmp    the splash picture, when given
//   yib.lib      the archive library, with the language file appended when one is given
//   data\        the installation data folder, when given
//
// The folder is built beside the output under a temporary name and renamed into place only
// when everything succeeded, so a failed run leaves no partial package behind (and an existing
// package is replaced only by a complete one).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "packer/package_description.h"

namespace qs::pack {

struct PackOptions {
    std::filesystem::path output;           // the package folder
    bool replace = false;                   // an existing output folder may be replaced
    std::filesystem::path engine;           // overrides the description's engine when set
    std::filesystem::path archiveLibrary;   // overrides the description's archive-library when set
    std::string sevenZip = "7zz";           // 7-Zip command, found on PATH when not a path
};

struct PackResult {
    std::size_t scriptLines = 0;
    std::string globalLists;                // the appended text
};

// Reads the script, builds the lists and writes the package. Throws PackError (with file and
// line for faults in the sources) and writes nothing then.
PackResult writePackage(const PackageDescription& description, const PackOptions& options);

// Checks that `file` is a 32-bit PE image that ends with its last section, as the engine's
// appended-data rule needs; throws PackError saying what is wrong. Returns the file's bytes.
std::string readStrippedImage(const std::filesystem::path& file, const char* what);

}  // namespace qs::pack
