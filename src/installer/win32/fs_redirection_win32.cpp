#include <windows.h>

#include "fs_redirection_win32.h"

namespace qs::installer {
namespace {

using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

FARPROC kernel32Function(const char* name) {
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    return kernel32 ? GetProcAddress(kernel32, name) : nullptr;
}

}  // namespace

bool Win32FsRedirection::disable(void*& previous) {
    static const auto fn =
        reinterpret_cast<DisableFn>(reinterpret_cast<void*>(kernel32Function("Wow64DisableWow64FsRedirection")));
    PVOID value = nullptr;
    if (!fn || !fn(&value)) return false;
    previous = value;
    return true;
}

void Win32FsRedirection::revert(void* previous) {
    static const auto fn =
        reinterpret_cast<RevertFn>(reinterpret_cast<void*>(kernel32Function("Wow64RevertWow64FsRedirection")));
    if (fn) fn(previous);
}

Win32FsRedirection& win32FsRedirection() {
    static Win32FsRedirection instance;
    return instance;
}

}  // namespace qs::installer
