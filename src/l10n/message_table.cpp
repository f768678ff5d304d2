#include "message_table.h"

#include <sstream>

#include "default_messages.h"

namespace qs::l10n {
namespace {

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Reads one line without its CR LF (or LF); false at the end of the content.
bool readLine(std::istringstream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace

MessageTable::MessageTable() {
    for (const auto& d : kDefaultTexts) texts_[static_cast<size_t>(slot(d.line))] = d.text;
}

int MessageTable::slot(int line) {
    if (line >= 1 && line <= 90) return line - 1;
    if (line >= 112 && line <= kSectionLines) return line - 112 + 90;
    return -1;
}

const std::string& MessageTable::text(int line) const {
    static const std::string none;
    int s = slot(line);
    return s < 0 ? none : texts_[static_cast<size_t>(s)];
}

void MessageTable::load(const std::string& content, const std::string& systemLanguage) {
    std::istringstream in(content);
    auto readSection = [&]() {
        std::string line;
        for (int n = 1; n <= kSectionLines; ++n) {
            if (!readLine(in, line)) return false;
            int s = slot(n);
            if (s >= 0) texts_[static_cast<size_t>(s)] = line;
        }
        return true;
    };
    if (!readSection()) return;
    const std::string wanted = upper(systemLanguage);
    std::string name;
    while (readLine(in, name)) {
        if (!readSection()) return;
        if (upper(name) == wanted) return;
    }
}

}  // namespace qs::l10n
