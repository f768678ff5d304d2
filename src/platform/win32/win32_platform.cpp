#include "win32_platform.h"

#include "registry_win32.h"
#include "system_info_win32.h"

namespace qs::platform {

Platform& win32Platform() {
    static Win32Registry registry;
    static Win32SystemInfo system;
    static Platform platform{registry, system};
    return platform;
}

}  // namespace qs::platform
