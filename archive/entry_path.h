// Turning a stored entry name into a path below the target folder.
#pragma once

#include <string>
#include <vector>

namespace qs::archive {

// The name's components ('/' and '\' both separate). Throws ArchiveError(UnsafePath) for any
// name that could land outside the target folder or on a device when Windows resolves it: an
// empty name or component, a leading separator (root, UNC or "\\?\" forms), a ':' anywhere
// (drive letters, alternate data streams), "." and ".." and other components made only of dots
// and blanks (Windows strips trailing dots and blanks), control characters, the characters
// < > " | ? *, and device names (CON, NUL, COM1, LPT1, ... with or without an extension).
// One trailing separator is tolerated.
std::vector<std::u16string> safeComponents(const std::u16string& name);

}  // namespace qs::archive
