// Conversions between the engine's 8-bit ANSI texts and UTF-16, in the system's ANSI code page.
#pragma once

#include <string>

namespace qs::platform {

class TextEncoding {
public:
    virtual ~TextEncoding() = default;
    virtual std::u16string ansiToUtf16(const std::string& text) = 0;
    // The text with its letters in upper case by the system's mapping for the ANSI code page
    // (accented letters included), same length.
    virtual std::string upperCase(const std::string& text) = 0;
    // The same for lower case.
    virtual std::string lowerCase(const std::string& text) = 0;
};

}  // namespace qs::platform
