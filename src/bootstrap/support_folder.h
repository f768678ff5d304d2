// The support folder: where the resource archive is unpacked for the run.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace qs::bootstrap {

// temporaryFolder + "yib" + N + "\" for the smallest N >= 1 whose folder does not exist yet.
std::string chooseSupportFolder(platform::FileSystem& files, const std::string& temporaryFolder);

// Empties the folder three times in a row (each pass sets every file's attributes to normal,
// deletes it and recurses into subfolders, removing each emptied one), then removes the folder.
// Failures are ignored: a file still in use stays behind.
void removeSupportFolder(platform::FileSystem& files, const std::string& folder);

}  // namespace qs::bootstrap
