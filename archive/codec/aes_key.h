// 7z's AES coder properties and password-to-key derivation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/codec/sha256.h"

namespace qs::archive::codec {

struct AesKeyInfo {
    unsigned numCyclesPower = 0;  // 2^n hash rounds; 0x3F: no hashing, the key is salt+password
    unsigned saltSize = 0;
    unsigned ivSize = 0;
    std::uint8_t salt[16] = {};
    std::uint8_t iv[16] = {};  // zero padded to the block size
};

// Properties: byte 0 holds the cycle power (low 6 bits) and whether salt (bit 7) and IV
// (bit 6) follow; byte 1 holds their sizes minus those bits (high and low nibble).
// Throws Corrupt when malformed, Unsupported when the cycle power exceeds 24.
AesKeyInfo parseAesProperties(const std::vector<std::uint8_t>& props);

Sha256::Digest deriveAesKey(const AesKeyInfo& info, const std::u16string& password);

}  // namespace qs::archive::codec
