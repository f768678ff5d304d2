#include "archive/entry_path.h"

#include <algorithm>

#include "archive/archive_error.h"

namespace qs::archive {
namespace {

[[noreturn]] void unsafe(const std::u16string& name, const char* why) {
    std::string ascii;
    for (char16_t c : name) ascii += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    throw ArchiveError(ArchiveErrorKind::UnsafePath, "unsafe entry name \"" + ascii + "\": " + why);
}

char16_t upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// Windows opens a device for these base names whatever the extension and trailing blanks.
bool isDeviceName(const std::u16string& component) {
    std::u16string base = component.substr(0, component.find(u'.'));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), upper);
    static const char16_t* const fixed[] = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$", u"CLOCK$"};
    for (const char16_t* d : fixed)
        if (base == d) return true;
    if (base.size() == 4 && (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0)) {
        const char16_t n = base[3];
        // Digits, and the superscript digits Windows also maps.
        return (n >= u'0' && n <= u'9') || n == 0xB9 || n == 0xB2 || n == 0xB3;
    }
    return false;
}

}  // namespace

std::vector<std::u16string> safeComponents(const std::u16string& name) {
    if (name.empty()) unsafe(name, "empty name");
    if (name[0] == u'/' || name[0] == u'\\') unsafe(name, "absolute path");
    std::vector<std::u16string> parts;
    std::u16string current;
    auto finish = [&](bool last) {
        if (current.empty()) {
            if (last && !parts.empty()) return;  // one trailing separator
            unsafe(name, "empty path component");
        }
        if (current.find_first_not_of(u". ") == std::u16string::npos) unsafe(name, "relative component");
        if (isDeviceName(current)) unsafe(name, "device name");
        parts.push_back(current);
        current.clear();
    };
    for (char16_t c : name) {
        if (c == u'/' || c == u'\\') {
            finish(false);
            continue;
        }
        if (c < 0x20) unsafe(name, "control character");
        if (c == u':') unsafe(name, "drive or stream separator");
        if (c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*') unsafe(name, "reserved character");
        current.push_back(c);
    }
    finish(true);
    return parts;
}

}  // namespace qs::archive
