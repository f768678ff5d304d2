// Message boxes and the thread's message queue through user32.
#pragma once

#include "../message_box.h"
#include "../window_messages.h"

namespace qs::platform {

class Win32MessageBoxes final : public MessageBoxes {
public:
    int show(WindowHandle owner, const std::string& text, const std::string& caption, unsigned flags) override;
};

class Win32WindowMessages final : public WindowMessages {
public:
    void processPending() override;
    bool processOne() override;
};

}  // namespace qs::platform
