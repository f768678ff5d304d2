// Win32 side of the bootstrap.
#include <windows.h>
