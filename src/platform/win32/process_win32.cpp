#include <windows.h>

#include "process_win32.h"

namespace qs::platform {

void Win32Process::exitNow(int code) { ExitProcess(static_cast<UINT>(code)); }

unsigned long Win32Process::tickCount() { return GetTickCount(); }

}  // namespace qs::platform
