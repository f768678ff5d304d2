#include <windows.h>

#include "system_info_win32.h"

namespace qs::platform {

WindowsVersion Win32SystemInfo::windowsVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    WindowsVersion v;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber & 0xFFFF;
    v.platformId = info.dwPlatformId;
    v.servicePack = info.szCSDVersion;
    return v;
}

bool Win32SystemInfo::isWow64() {
    // Bound at run time: Windows before XP SP2 has no IsWow64Process.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto fn = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return fn && fn(GetCurrentProcess(), &wow64) && wow64;
}

std::string Win32SystemInfo::temporaryFolder() {
    char buf[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buf, buf);
    if (n == 0 || n > MAX_PATH) return {};
    std::string path(buf, n);
    if (path.back() != '\\') path += '\\';
    return path;
}

std::string Win32SystemInfo::executablePath() {
    char buf[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return std::string(buf, n);
}

}  // namespace qs::platform
