// The packer's one error type: what went wrong, and where in which input file.
#pragma once

#include <exception>
#include <string>

namespace qs::pack {

struct PackError : std::exception {
    // `line` is 1-based as editors show it; 0 when the error concerns no particular line.
    PackError(std::string file, int line, std::string message);
    explicit PackError(std::string message) : PackError({}, 0, std::move(message)) {}

    const char* what() const noexcept override { return text.c_str(); }

    std::string file;
    int line = 0;
    std::string message;
    std::string text;  // "file:line: message", "file: message" or "message"
};

}  // namespace qs::pack
