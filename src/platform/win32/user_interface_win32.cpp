#include <windows.h>

#include "user_interface_win32.h"

namespace qs::platform {

int Win32MessageBoxes::show(WindowHandle owner, const std::string& text, const std::string& caption, unsigned flags) {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), flags);
}

bool Win32WindowMessages::processOne() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    // A quit request is left for the program's own loop: it is put back and not dispatched.
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void Win32WindowMessages::processPending() {
    while (processOne()) {
    }
}

}  // namespace qs::platform
