// The running process through kernel32.
#pragma once

#include "../process.h"

namespace qs::platform {

class Win32Process final : public Process {
public:
    [[noreturn]] void exitNow(int code) override;
    unsigned long tickCount() override;
};

}  // namespace qs::platform
