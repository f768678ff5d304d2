// Case rules for the engine's ANSI texts: ASCII letters only, independent of the locale.
#pragma once

#include <string>

namespace qs::bootstrap {

inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string toLowerAscii(std::string s) {
    for (char& c : s) c = lowerAscii(c);
    return s;
}
inline std::string toUpperAscii(std::string s) {
    for (char& c : s) c = upperAscii(c);
    return s;
}
inline bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}
inline bool startsWithIgnoreCase(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && equalsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

}  // namespace qs::bootstrap
