// Reading one line of the packer's text inputs (script sources and package descriptions).
//
// Both use the same quoting: a text between double quotes, where two double quotes stand for
// one. Nothing else is special inside quotes, so backslashes in Windows paths and dollar signs
// are written as they are. A quoted text cannot span lines.
#pragma once

#include <string>
#include <string_view>

namespace qs::pack {

class LineScanner {
public:
    // `file` and `lineNumber` (1-based) only name the place in error messages.
    LineScanner(std::string_view line, std::string file, int lineNumber);

    void skipBlanks();                  // spaces and tabs
    bool atEnd() const { return pos_ >= line_.size(); }
    char peek() const { return atEnd() ? '\0' : line_[pos_]; }
    bool consume(char c);               // takes `c` when it is next
    bool consume(std::string_view s);   // takes `s` when it comes next
    std::string_view rest() const { return line_.substr(pos_); }
    void skipToEnd() { pos_ = line_.size(); }

    // Reads a quoted text starting at the cursor (which must be on the opening quote).
    // Throws PackError "unterminated quoted text" when the line ends first.
    std::string readQuoted();

    // Reads up to (not including) the first of `stops` or the end of the line, trimmed of blanks.
    std::string readBareUntil(std::string_view stops);

    // After the last item of a line: only blanks and an optional "#" comment may follow.
    void expectEndOrComment(const char* after);

    [[noreturn]] void fail(const std::string& message) const;

    int column() const { return static_cast<int>(pos_) + 1; }

private:
    std::string_view line_;
    size_t pos_ = 0;
    std::string file_;
    int lineNumber_;
};

// Writes `text` quoted so that LineScanner::readQuoted gives it back.
std::string quote(std::string_view text);

std::string trimBlanks(std::string_view s);

}  // namespace qs::pack
