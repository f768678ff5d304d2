// CRC-32 and SHA-256 against published values and liblzma's CRC-32.
#include <gtest/gtest.h>

#include <string>

#include "archive/codec/crc32.h"
#include "archive/codec/sha256.h"
#include "codec_test_util.h"

namespace qs::archive {
namespace {

std::string hex(const Sha256::Digest& d) {
    static const char* kDigits = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : d) {
        s += kDigits[b >> 4];
        s += kDigits[b & 15];
    }
    return s;
}

TEST(Crc32, KnownValues) {
    EXPECT_EQ(crc32("", 0), 0u);
    EXPECT_EQ(crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(crc32("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
}

// Every length and alignment around the 8-byte stride, and chaining, against liblzma.
TEST(Crc32, MatchesLiblzmaAtAllLengthsAndOffsets) {
    test::Bytes data = test::randomBytes(4096, 20);
    for (std::size_t offset = 0; offset < 9; ++offset) {
        for (std::size_t len : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 1000u, 4000u}) {
            EXPECT_EQ(crc32(data.data() + offset, len), lzma_crc32(data.data() + offset, len, 0))
                << offset << "/" << len;
        }
    }
    for (std::size_t split : {0u, 1u, 5u, 8u, 333u, 4096u}) {
        std::uint32_t chained = crc32(data.data() + split, data.size() - split, crc32(data.data(), split));
        EXPECT_EQ(chained, lzma_crc32(data.data(), data.size(), 0)) << split;
    }
}

TEST(Sha256, KnownVectors) {
    struct Case {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        // 55, 56 and 64 bytes: the padding boundaries (values from Python's hashlib).
        {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
        {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
        {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(sha256(c.input.data(), c.input.size())), c.digest) << c.input.substr(0, 20);
    }
}

// Feeding the same bytes in pieces of any size gives the same digest as at once.
TEST(Sha256, IncrementalEqualsOneShot) {
    test::Bytes data = test::randomBytes(1000, 21);
    for (std::size_t total : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
        Sha256::Digest whole = sha256(data.data(), total);
        for (std::size_t step : {1u, 3u, 64u, 100u}) {
            Sha256 h;
            for (std::size_t i = 0; i < total; i += step) h.update(data.data() + i, std::min(step, total - i));
            EXPECT_EQ(h.finish(), whole) << total << "/" << step;
        }
    }
}

}  // namespace
}  // namespace qs::archive
