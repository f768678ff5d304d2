// The engine's one seam to the operating system: every shared OS service it uses.
//
// The engine holds a Platform by reference. The Win32 build makes the real one
// (win32/win32_platform.h); native tests build fakes of the pieces they need.
#pragma once

#include "file_system.h"
#include "message_box.h"
#include "process.h"
#include "registry.h"
#include "system_info.h"
#include "text_encoding.h"
#include "window_messages.h"

namespace qs::platform {

struct Platform {
    Registry& registry;
    SystemInfo& system;
    FileSystem& files;
    TextEncoding& encoding;
    Process& process;
    MessageBoxes& messageBoxes;
    WindowMessages& windowMessages;
};

}  // namespace qs::platform
