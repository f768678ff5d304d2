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

void Win32SystemInfo::restrictToFirstProcessor() {
    // Looked up at run time: Windows 95 has no SetProcessAffinityMask.
    using SetAffinityFn = BOOL(WINAPI*)(HANDLE, DWORD_PTR);
    auto fn = reinterpret_cast<SetAffinityFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetProcessAffinityMask")));
    if (fn) fn(GetCurrentProcess(), 1);
}

}  // namespace qs::platform

namespace qs::platform {
namespace {

bool tokenHoldsAdministrators(HANDLE token) {
    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    if (size == 0) return false;
    std::string buffer(size, '\0');
    if (!GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) return false;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    bool found = false;
    for (DWORD i = 0; i < groups->GroupCount && !found; ++i) found = EqualSid(groups->Groups[i].Sid, administrators);
    FreeSid(administrators);
    return found;
}

}  // namespace

bool Win32SystemInfo::isAdministrator() {
    const WindowsVersion version = windowsVersion();
    if (version.platformId != VER_PLATFORM_WIN32_NT) return false;
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
        if (GetLastError() != ERROR_NO_TOKEN) return false;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    }
    bool administrator = tokenHoldsAdministrators(token);
    if (administrator && version.major >= 6) {
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        administrator = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                        elevation.TokenIsElevated != 0;
    }
    CloseHandle(token);
    return administrator;
}

std::string Win32SystemInfo::shortDateText() {
    char buf[128];
    int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

std::string Win32SystemInfo::longTimeText() {
    char buf[128];
    int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

std::string Win32SystemInfo::systemLanguageId(bool defaultLanguage) {
    char buf[16];
    int n = GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, defaultLanguage ? LOCALE_IDEFAULTLANGUAGE : LOCALE_ILANGUAGE, buf,
                           sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

std::string Win32SystemInfo::englishLanguageName(unsigned lcid) {
    char buf[261];
    int n = GetLocaleInfoA(static_cast<LCID>(lcid), LOCALE_SENGLANGUAGE, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

}  // namespace qs::platform
