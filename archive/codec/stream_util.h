// Small helpers shared by the decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/archive_error.h"
#include "archive/byte_source.h"

namespace qs::archive::codec {

[[noreturn]] inline void throwCorrupt(const std::string& what) {
    throw ArchiveError(ArchiveErrorKind::Corrupt, what);
}

// Reads until `size` bytes are in `dst` or the source ends; returns the number read.
inline std::size_t readFully(ByteSource& src, std::uint8_t* dst, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        std::size_t n = src.read(dst + got, size - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

// Reads exactly `size` bytes or throws Corrupt naming `what`.
inline void readExact(ByteSource& src, std::uint8_t* dst, std::size_t size, const char* what) {
    if (readFully(src, dst, size) != size) throwCorrupt(std::string(what) + ": unexpected end of input");
}

}  // namespace qs::archive::codec
