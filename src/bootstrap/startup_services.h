// What the start-up sequence uses besides the platform: its windows, the archive library (see
// archive_library.h), the
// dialog engine and the script runner. The Win32 build supplies the real ones; native tests
// supply recording fakes.
#pragma once

#include <optional>
#include <string>

#include "archive_library.h"

namespace qs {
struct Engine;
}

namespace qs::bootstrap {

// The splash picture, the preparing window and the start-up message boxes.
class StartupWindows {
public:
    virtual ~StartupWindows() = default;
    // Shows the splash with the bitmap (when `splashBitmap` is not empty) and the preparing
    // window with its caption and text, placed as the start-up rules say.
    virtual void show(const std::string& splashBitmap, const std::string& caption, const std::string& text) = 0;
    virtual void setProgress(int minimum, int maximum, int position) = 0;
    virtual void advanceProgress() = 0;  // one step, and repaint
    virtual void close() = 0;           // hide and release both windows
    // An error box with the given caption; owned by the preparing window when it exists and
    // `owned` is true.
    virtual void errorBox(const std::string& caption, const std::string& text, bool owned) = 0;
};

// The two calls of the dialog engine that start-up makes.
class DialogPreloader {
public:
    virtual ~DialogPreloader() = default;
    virtual void initialise(const std::string& supportFolder) = 0;
    virtual void load(const std::string& dialogFile, const std::string& key) = 0;
};

// Runs the script; returns when it has ended. The exit code may be set in the engine.
class ScriptRunner {
public:
    virtual ~ScriptRunner() = default;
    virtual void run(Engine& engine) = 0;
};

struct StartupServices {
    StartupWindows& windows;
    ArchiveLibrary& archive;
    DialogPreloader& dialogs;
    ScriptRunner& runner;
};

}  // namespace qs::bootstrap
