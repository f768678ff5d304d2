// SHA-256 (FIPS 180-4), incremental.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qs::archive {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void update(const void* data, std::size_t size);
    // Returns the digest; the object must not be updated afterwards (reset() starts over).
    Digest finish();
    void reset();

private:
    void compress(const std::uint8_t* block);

    std::uint32_t state_[8];
    std::uint8_t buffer_[64];
    std::size_t buffered_ = 0;
    std::uint64_t totalBytes_ = 0;
};

Sha256::Digest sha256(const void* data, std::size_t size);

}  // namespace qs::archive
