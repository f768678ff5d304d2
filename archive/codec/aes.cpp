#include "archive/codec/aes.h"

#include <cstring>

namespace qs::archive::codec {
namespace {

std::uint8_t gmul(std::uint8_t a, std::uint8_t b) {
    std::uint8_t r = 0;
    while (b) {
        if (b & 1) r ^= a;
        a = std::uint8_t((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
        b >>= 1;
    }
    return r;
}

inline std::uint32_t rotr8(std::uint32_t x) { return (x >> 8) | (x << 24); }

struct Tables {
    std::uint8_t sbox[256];
    std::uint8_t inverseSbox[256];
    // inverse[k][x]: InvSubBytes then InvMixColumns of byte x in row k, as a column word.
    std::uint32_t inverse[4][256];

    Tables() {
        // The S-box from its definition: multiplicative inverse in GF(2^8), then the affine map.
        for (int x = 0; x < 256; ++x) {
            std::uint8_t inv = 0;
            for (int y = 1; y < 256 && x; ++y)
                if (gmul(std::uint8_t(x), std::uint8_t(y)) == 1) {
                    inv = std::uint8_t(y);
                    break;
                }
            std::uint8_t s = inv;
            for (int k = 1; k <= 4; ++k) s ^= std::uint8_t((inv << k) | (inv >> (8 - k)));
            s ^= 0x63;
            sbox[x] = s;
            inverseSbox[s] = std::uint8_t(x);
        }
        for (int x = 0; x < 256; ++x) {
            std::uint8_t y = inverseSbox[x];
            std::uint32_t w = std::uint32_t(gmul(y, 14)) << 24 | std::uint32_t(gmul(y, 9)) << 16 |
                              std::uint32_t(gmul(y, 13)) << 8 | gmul(y, 11);
            for (int k = 0; k < 4; ++k) {
                inverse[k][x] = w;
                w = rotr8(w);
            }
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

inline std::uint32_t load32be(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
inline void store32be(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

}  // namespace

Aes256Decryptor::Aes256Decryptor(const std::uint8_t key[32]) {
    const Tables& t = tables();
    constexpr int kWords = 4 * (kRounds + 1);
    std::uint32_t w[kWords];
    for (int i = 0; i < 8; ++i) w[i] = load32be(key + 4 * i);
    std::uint32_t rcon = 1;
    for (int i = 8; i < kWords; ++i) {
        std::uint32_t temp = w[i - 1];
        if (i % 8 == 0 || i % 8 == 4) {
            if (i % 8 == 0) temp = (temp << 8) | (temp >> 24);
            temp = std::uint32_t(t.sbox[temp >> 24]) << 24 | std::uint32_t(t.sbox[(temp >> 16) & 0xFF]) << 16 |
                   std::uint32_t(t.sbox[(temp >> 8) & 0xFF]) << 8 | t.sbox[temp & 0xFF];
            if (i % 8 == 0) {
                temp ^= rcon << 24;
                rcon = gmul(std::uint8_t(rcon), 2);
            }
        }
        w[i] = w[i - 8] ^ temp;
    }
    // Equivalent inverse cipher: round keys in reverse order, the inner ones passed through
    // InvMixColumns (inverse[k][sbox[b]] is InvMixColumns of b in row k).
    for (int r = 0; r <= kRounds; ++r) {
        for (int c = 0; c < 4; ++c) {
            std::uint32_t k = w[4 * (kRounds - r) + c];
            if (r != 0 && r != kRounds)
                k = t.inverse[0][t.sbox[k >> 24]] ^ t.inverse[1][t.sbox[(k >> 16) & 0xFF]] ^
                    t.inverse[2][t.sbox[(k >> 8) & 0xFF]] ^ t.inverse[3][t.sbox[k & 0xFF]];
            roundKeys_[4 * r + c] = k;
        }
    }
}

void Aes256Decryptor::decryptBlock(const std::uint8_t in[16], std::uint8_t out[16]) const {
    const Tables& t = tables();
    const std::uint32_t* rk = roundKeys_;
    std::uint32_t s[4], n[4];
    for (int c = 0; c < 4; ++c) s[c] = load32be(in + 4 * c) ^ rk[c];
    for (int r = 1; r < kRounds; ++r) {
        rk += 4;
        // InvShiftRows moves row k of column c to column c + k.
        for (int c = 0; c < 4; ++c)
            n[c] = t.inverse[0][s[c] >> 24] ^ t.inverse[1][(s[(c + 3) & 3] >> 16) & 0xFF] ^
                   t.inverse[2][(s[(c + 2) & 3] >> 8) & 0xFF] ^ t.inverse[3][s[(c + 1) & 3] & 0xFF] ^ rk[c];
        std::memcpy(s, n, sizeof s);
    }
    rk += 4;
    for (int c = 0; c < 4; ++c) {
        std::uint32_t v = std::uint32_t(t.inverseSbox[s[c] >> 24]) << 24 |
                          std::uint32_t(t.inverseSbox[(s[(c + 3) & 3] >> 16) & 0xFF]) << 16 |
                          std::uint32_t(t.inverseSbox[(s[(c + 2) & 3] >> 8) & 0xFF]) << 8 |
                          t.inverseSbox[s[(c + 1) & 3] & 0xFF];
        store32be(out + 4 * c, v ^ rk[c]);
    }
}

void Aes256Decryptor::decryptCbc(std::uint8_t* data, std::size_t size, std::uint8_t iv[16]) const {
    std::uint8_t cipher[16], plain[16];
    for (std::size_t off = 0; off + 16 <= size; off += 16) {
        std::memcpy(cipher, data + off, 16);
        decryptBlock(cipher, plain);
        for (int i = 0; i < 16; ++i) data[off + i] = plain[i] ^ iv[i];
        std::memcpy(iv, cipher, 16);
    }
}

}  // namespace qs::archive::codec
