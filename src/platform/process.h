// The running process itself.
#pragma once

namespace qs::platform {

class Process {
public:
    virtual ~Process() = default;
    // Ends the process at once with `code`: no cleanup, no further output. Test fakes throw
    // instead of returning.
    [[noreturn]] virtual void exitNow(int code) = 0;
    // The system tick count in milliseconds.
    virtual unsigned long tickCount() = 0;
};

}  // namespace qs::platform
