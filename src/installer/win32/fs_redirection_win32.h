// The calling thread's WOW64 file-system redirection through kernel32, bound at run time:
// systems before Windows XP x64 / Server 2003 SP1 have no such calls, and then nothing is
// switched.
#pragma once

#include "installer/redirection.h"

namespace qs::installer {

class Win32FsRedirection final : public FsRedirectionApi {
public:
    bool disable(void*& previous) override;
    void revert(void* previous) override;
};

// The process's one instance, to attach to the engine's redirection switch at start-up.
Win32FsRedirection& win32FsRedirection();

}  // namespace qs::installer
