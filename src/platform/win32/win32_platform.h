// The real platform on Windows (and under Wine).
#pragma once

#include "../platform.h"

namespace qs::platform {

// The process-wide real platform; its services live as long as the process.
Platform& win32Platform();

}  // namespace qs::platform
