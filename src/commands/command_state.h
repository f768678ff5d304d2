// What the command library keeps across script lines: the current reading file of
// "Read from Text File", the saved-variables list, the active-worker flag, and the two hooks
// that other subsystems fill in (parameter translation and the progress display).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qs::commands {

// The one text file that "Read from Text File" keeps open between lines. Its bytes are read
// when it is opened; `position` is the reading position in them.
struct CurrentReadingFile {
    std::string path;       // expanded and normalised; empty when there is no current file
    bool open = false;      // false once "Write to Text File" closed its handle (path kept)
    std::string content;
    std::size_t position = 0;

    bool exists() const { return !path.empty(); }
    void forget() { *this = CurrentReadingFile{}; }
};

// A localizable parameter's text for the current language: (text, line key, field).
using ParameterTranslator = std::function<std::string(const std::string& text, const std::string& lineKey, int field)>;

// One update of the progress page.
struct ProgressUpdate {
    std::string text;
    bool reportCancel = false;
    int minimum = 0;
    int maximum = 100;
    int position = 0;
};
using ProgressDisplay = std::function<void(const ProgressUpdate&)>;

struct CommandState {
    CurrentReadingFile readingFile;
    // Variables written into the component state file, so they survive into maintenance runs.
    std::vector<std::string> savedVariables;
    // Set while the interpreter waits for a worker (or a progress update runs); the progress
    // page refreshes only while it is set.
    bool activeWorker = false;
    // Installed by the languages code while localization mode is on; empty: texts stay as written.
    ParameterTranslator translate;
    // Installed by the progress page; empty: progress updates show nothing.
    ProgressDisplay progressDisplay;
};

}  // namespace qs::commands
