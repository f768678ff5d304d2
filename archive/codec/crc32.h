// CRC-32 as used by 7z (and zip): reflected polynomial 0xEDB88320, initial and final XOR
// 0xFFFFFFFF. Chainable: crc32(b, nb, crc32(a, na)) == crc32(a+b).
#pragma once

#include <cstddef>
#include <cstdint>

namespace qs::archive {

std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t prev = 0);

}  // namespace qs::archive
