#include "trace_log.h"

namespace qs::bootstrap {

void TraceLog::line(const std::string& text) { write(text + "\r\n"); }

void TraceLog::append(const std::string& text) { write(text); }

void TraceLog::write(const std::string& text) {
    if (path_.empty()) return;
    std::lock_guard<std::mutex> guard(lock_);
    if (!started_) {
        started_ = true;
        files_.writeFile(path_, std::string());
    }
    if (!ntFamily_) {
        files_.appendFile(path_, text);
        return;
    }
    std::u16string wide = encoding_.ansiToUtf16(text);
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (char16_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    files_.appendFile(path_, bytes);
}

}  // namespace qs::bootstrap
