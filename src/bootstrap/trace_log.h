// The trace log: milestone lines appended to the file given with /l=.
//
// Nothing is written while the path is empty. The first write of a run creates the file empty
// (replacing an earlier log); every line is appended with CR LF and the file is closed again,
// so the log survives a crash. On the NT family the text is stored as UTF-16LE without a
// byte-order mark, on the 9x family as ANSI. Safe to call from several threads.
#pragma once

#include <mutex>
#include <string>

#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace qs::bootstrap {

class TraceLog {
public:
    TraceLog(platform::FileSystem& files, platform::TextEncoding& encoding, bool ntFamily)
        : files_(files), encoding_(encoding), ntFamily_(ntFamily) {}

    void setPath(const std::string& path) { path_ = path; }
    const std::string& path() const { return path_; }
    bool enabled() const { return !path_.empty(); }

    void line(const std::string& text);

    // Appends raw text (no line end added) under the same first-write rule; used by writers
    // that share the file, such as the installer log.
    void append(const std::string& text);

private:
    void write(const std::string& text);

    platform::FileSystem& files_;
    platform::TextEncoding& encoding_;
    bool ntFamily_;
    std::string path_;
    bool started_ = false;
    std::mutex lock_;
};

}  // namespace qs::bootstrap
