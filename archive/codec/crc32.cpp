#include "archive/codec/crc32.h"

#include <array>
#include <cstring>

namespace qs::archive {
namespace {

// Slicing-by-8: table k maps a byte to its CRC contribution k bytes further on, so eight input
// bytes are folded per step with eight independent lookups.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables makeTables() {
    Tables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr Tables kTables = makeTables();

inline std::uint32_t load32le(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t prev) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::uint32_t c = ~prev;
    while (size >= 8) {
        std::uint32_t lo = load32le(p) ^ c;
        std::uint32_t hi = load32le(p + 4);
        c = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
            kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
            kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
        p += 8;
        size -= 8;
    }
    while (size--) c = (c >> 8) ^ kTables[0][(c ^ *p++) & 0xFF];
    return ~c;
}

}  // namespace qs::archive
