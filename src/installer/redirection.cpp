#include "redirection.h"

namespace qs::installer {

void RedirectionSwitch::attach(FsRedirectionApi* api) {
    std::lock_guard<std::mutex> guard(lock_);
    api_ = api;
}

bool RedirectionSwitch::off(bool wanted) {
    if (!wanted) return false;
    const std::thread::id self = std::this_thread::get_id();
    FsRedirectionApi* api = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!api_ || offThreads_.count(self)) return false;
        api = api_;
    }
    // Only this thread touches its own entry, so the call can run without the lock.
    void* previous = nullptr;
    if (!api->disable(previous)) return false;
    std::lock_guard<std::mutex> guard(lock_);
    offThreads_[self] = previous;
    return true;
}

void RedirectionSwitch::on() {
    const std::thread::id self = std::this_thread::get_id();
    FsRedirectionApi* api = nullptr;
    void* previous = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        const auto it = offThreads_.find(self);
        if (it == offThreads_.end()) return;
        previous = it->second;
        offThreads_.erase(it);
        api = api_;
    }
    if (api) api->revert(previous);
}

bool RedirectionSwitch::isOff() const {
    std::lock_guard<std::mutex> guard(lock_);
    return offThreads_.count(std::this_thread::get_id()) > 0;
}

}  // namespace qs::installer
