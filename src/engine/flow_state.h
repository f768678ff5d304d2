// The state of a script run: the interpreter's flow control, and the engine-wide values it
// keeps for the other subsystems (caption, page handle, progress display, end request).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/message_box.h"

namespace qs {

// Where the interpreter stands in the script. The current line is nextLine - 1.
struct FlowState {
    std::size_t nextLine = 0;
    std::string currentCommand;
    int openBranches = 0;       // conditional branches entered and not yet closed by their "End"
    bool skipToBranch = false;  // a condition was false: find the chain's next "Else If", "Else" or "End"
    bool skipToEnd = false;     // a branch has run: find the chain's "End"
    bool inWizardLoop = false;
    int loopDirection = 1;      // +1 next dialog, -1 previous dialog, 0 the dialog was cancelled
    bool leavingLoop = false;   // the "End" about to run closes a wizard loop, not a conditional
    std::string lastProgressText;  // PROGRESSTEXT and PROGRESS as last sent to the progress display
    std::int32_t lastProgress = 0;
};

// Receives PROGRESSTEXT and PROGRESS for the shown page: text, position, maximum, minimum.
using ProgressDelegate = std::function<void(const std::string& text, int position, int maximum, int minimum)>;

struct RunState {
    FlowState flow;

    // Refreshed from TITLE and KYRULOGO before every line; the setup caption follows them.
    std::string captionTitle;
    bool logo = false;

    // The window of the non-modal page shown last; 0 when none (the dialog engine sets it).
    platform::WindowHandle pageHandle = 0;
    // Shows progress on the page; empty until a progress display is attached.
    ProgressDelegate progress;

    // The result the last "Display Dialog" line returned ("NEXT", "BACK", "CANCEL", ...); its
    // handler sets it, a wizard loop reads it to find the next dialog.
    std::string dialogResult;

    // A handler that ends the script (e.g. "Terminate Install") sets this: the interpreter
    // then runs the script end before any further line.
    bool endRequested = false;

    // The engine folder as the run's root folder, remembered when the run starts.
    std::string rootFolder;

    // The single-instance lock file this run created; empty when it holds none.
    std::string singleInstanceLock;
};

}  // namespace qs
