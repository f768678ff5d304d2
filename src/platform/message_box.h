// The engine's own message boxes (not the script's "MessageBox" pages).
#pragma once

#include <cstdint>
#include <string>

namespace qs::platform {

// Window handle of a box's owner; 0 for a box without owner.
using WindowHandle = std::uintptr_t;

class MessageBoxes {
public:
    // Style flags, as the system's message box takes them.
    static constexpr unsigned kOk = 0x00;
    static constexpr unsigned kIconError = 0x10;

    virtual ~MessageBoxes() = default;
    // Shows a modal box and returns the system's code of the button that closed it.
    virtual int show(WindowHandle owner, const std::string& text, const std::string& caption, unsigned flags) = 0;
};

}  // namespace qs::platform
