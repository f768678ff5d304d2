// The engine's entry point: a Win32 GUI program.
#include <windows.h>

#include "../platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    qs::platform::win32Platform();
    return 0;
}
