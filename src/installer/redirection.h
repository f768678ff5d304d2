// The file-system redirection switch of a 32-bit process on 64-bit Windows.
//
// Windows keeps redirection per thread, so the switch keeps its mark ("redirection is off")
// and the value the system returned when switching off for each thread separately: a media
// thread switches its own redirection, and the interpreter's mark never hides that work.
//
// Within one thread the switch does not count: off, off, on switches off once and restores
// once; the second off finds the mark set and does nothing. RedirectionScope gives callers
// proper nesting on top of that: it restores only what its own off switched.
#pragma once

#include <mutex>
#include <thread>
#include <unordered_map>

namespace qs::installer {

// The system side: the calling thread's redirection.
class FsRedirectionApi {
public:
    virtual ~FsRedirectionApi() = default;
    // Switches redirection off for the calling thread. True on success, with `previous` set to
    // the value to hand to revert; false when the system lacks the call or refuses.
    virtual bool disable(void*& previous) = 0;
    // Restores the calling thread's redirection from the value disable returned.
    virtual void revert(void* previous) = 0;
};

class RedirectionSwitch {
public:
    RedirectionSwitch() = default;
    RedirectionSwitch(const RedirectionSwitch&) = delete;
    RedirectionSwitch& operator=(const RedirectionSwitch&) = delete;

    // The system side the switch calls. Without one (the default) the switch never switches.
    void attach(FsRedirectionApi* api);

    // Switches the calling thread's redirection off when `wanted` (64-bit Windows with a 64-bit
    // installer platform) and the thread's mark is clear. True when this call switched it off.
    bool off(bool wanted);
    // When the calling thread's mark is set: restores its redirection and clears the mark.
    void on();
    // Whether the calling thread's mark is set.
    bool isOff() const;

private:
    mutable std::mutex lock_;
    FsRedirectionApi* api_ = nullptr;
    std::unordered_map<std::thread::id, void*> offThreads_;  // thread -> value kept for revert
};

}  // namespace qs::installer
