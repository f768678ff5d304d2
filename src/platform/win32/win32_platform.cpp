#include "win32_platform.h"

#include "file_system_win32.h"
#include "process_win32.h"
#include "registry_win32.h"
#include "system_info_win32.h"

namespace qs::platform {

Platform& win32Platform() {
    static Win32Registry registry;
    static Win32SystemInfo system;
    static Win32FileSystem files;
    static Win32TextEncoding encoding;
    static Win32Process process;
    static Platform platform{registry, system, files, encoding, process};
    return platform;
}

}  // namespace qs::platform
