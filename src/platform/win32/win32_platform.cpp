#include "win32_platform.h"

#include "file_system_win32.h"
#include "process_win32.h"
#include "registry_win32.h"
#include "system_info_win32.h"
#include "user_interface_win32.h"

namespace qs::platform {

Platform& win32Platform() {
    static Win32Registry registry;
    static Win32SystemInfo system;
    static Win32FileSystem files;
    static Win32TextEncoding encoding;
    static Win32Process process;
    static Win32MessageBoxes messageBoxes;
    static Win32WindowMessages windowMessages;
    static Platform platform{registry, system, files, encoding, process, messageBoxes, windowMessages};
    return platform;
}

}  // namespace qs::platform
