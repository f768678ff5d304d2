#include "packer/quoted_text.h"

#include "packer/pack_error.h"

namespace qs::pack {

LineScanner::LineScanner(std::string_view line, std::string file, int lineNumber)
    : line_(line), file_(std::move(file)), lineNumber_(lineNumber) {}

void LineScanner::skipBlanks() {
    while (!atEnd() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
}

bool LineScanner::consume(char c) {
    if (atEnd() || line_[pos_] != c) return false;
    ++pos_;
    return true;
}

bool LineScanner::consume(std::string_view s) {
    if (line_.substr(pos_, s.size()) != s) return false;
    pos_ += s.size();
    return true;
}

std::string LineScanner::readQuoted() {
    const int startColumn = column();
    if (!consume('"')) fail("expected a quoted text");
    std::string text;
    while (true) {
        if (atEnd())
            throw PackError(file_, lineNumber_,
                            "unterminated quoted text starting at column " + std::to_string(startColumn));
        char c = line_[pos_++];
        if (c == '"') {
            if (consume('"')) {
                text += '"';
                continue;
            }
            return text;
        }
        text += c;
    }
}

std::string LineScanner::readBareUntil(std::string_view stops) {
    size_t end = pos_;
    while (end < line_.size() && stops.find(line_[end]) == std::string_view::npos) ++end;
    std::string text = trimBlanks(line_.substr(pos_, end - pos_));
    pos_ = end;
    return text;
}

void LineScanner::expectEndOrComment(const char* after) {
    skipBlanks();
    if (atEnd() || peek() == '#') return;
    fail(std::string("unexpected text after ") + after + ": '" + std::string(rest()) + "'");
}

void LineScanner::fail(const std::string& message) const {
    throw PackError(file_, lineNumber_, message + " (column " + std::to_string(column()) + ")");
}

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') out += '"';
    }
    out += '"';
    return out;
}

std::string trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

}  // namespace qs::pack
