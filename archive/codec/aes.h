// AES-256 block decryption (FIPS-197) and CBC mode, for 7z's encrypted folders.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qs::archive::codec {

class Aes256Decryptor {
public:
    explicit Aes256Decryptor(const std::uint8_t key[32]);
    void decryptBlock(const std::uint8_t in[16], std::uint8_t out[16]) const;
    // Decrypts `size` bytes (a multiple of 16) in place; `iv` is updated to continue the chain.
    void decryptCbc(std::uint8_t* data, std::size_t size, std::uint8_t iv[16]) const;

private:
    static constexpr int kRounds = 14;
    std::uint32_t roundKeys_[4 * (kRounds + 1)];  // decryption schedule, last round first
};

}  // namespace qs::archive::codec
