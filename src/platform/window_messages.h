// The main thread's window messages, processed while the script runs so that pages, timers and
// the tray stay responsive.
#pragma once

namespace qs::platform {

class WindowMessages {
public:
    virtual ~WindowMessages() = default;
    // Dispatches every message queued for the thread, then returns; never waits.
    virtual void processPending() = 0;
    // Dispatches one queued message when there is one; never waits. True when one was handled.
    virtual bool processOne() = 0;
};

}  // namespace qs::platform
