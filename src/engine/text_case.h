// Case rules for the engine's ANSI texts where the locale must not matter (variable names,
// command-line options, list keys): only the ASCII letters a to z and A to Z fold.
#pragma once

#include <string>
#include <string_view>

namespace qs {

inline constexpr char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline constexpr char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string toLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

inline std::string toUpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = upperAscii(c);
    return out;
}

inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    return true;
}

inline bool startsWithIgnoreCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

}  // namespace qs
