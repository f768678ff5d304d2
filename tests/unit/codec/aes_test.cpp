// AES-256 against FIPS-197 and SP 800-38A vectors, 7z key derivation against values computed
// independently (Python's hashlib), and archives written by 7-Zip at test time.
#include <gtest/gtest.h>

#include "archive/archive_error.h"
#include "archive/codec/aes.h"
#include "archive/codec/aes_key.h"
#include "archive/codec/decoder_factory.h"
#include "codec_test_util.h"
#include "seven_zip_fixture.h"

namespace qs::archive {
namespace {

using test::Bytes;

Bytes unhex(const std::string& s) {
    Bytes b;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) b.push_back(std::uint8_t(std::stoul(s.substr(i, 2), nullptr, 16)));
    return b;
}

TEST(Aes256, Fips197Vector) {
    Bytes key = unhex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    Bytes cipher = unhex("8ea2b7ca516745bfeafc49904b496089");
    std::uint8_t out[16];
    codec::Aes256Decryptor(key.data()).decryptBlock(cipher.data(), out);
    EXPECT_EQ(Bytes(out, out + 16), unhex("00112233445566778899aabbccddeeff"));
}

TEST(Aes256, Sp80038aCbcVector) {
    Bytes key = unhex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
    Bytes iv = unhex("000102030405060708090a0b0c0d0e0f");
    Bytes data = unhex(
        "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
        "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b");
    Bytes plain = unhex(
        "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
        "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
    codec::Aes256Decryptor aes(key.data());
    // In two calls: the IV carries the chain across.
    aes.decryptCbc(data.data(), 16, iv.data());
    aes.decryptCbc(data.data() + 16, 48, iv.data());
    EXPECT_EQ(data, plain);
}

TEST(AesKey, DerivationMatchesIndependentValues) {
    struct Case {
        Bytes props;
        std::u16string password;
        const char* key;
    } cases[] = {
        {{0x00}, u"Secret", "c4deca7a03d026b11c37f0a6fda33a4aacac884539756a9f3966d32dae8f9bdb"},
        {{0x13}, u"Secret", "efd7602a52ab9e8e6d80d2cd37e97d6b7658c8e4cf1bfbe02d942081365e420f"},
        // salt 00..0f (16 bytes: flag 1 + nibble 15), no IV, 2^6 rounds, non-ASCII password
        {[] {
             Bytes p = {0x86, 0xF0};
             for (int i = 0; i < 16; ++i) p.push_back(std::uint8_t(i));
             return p;
         }(),
         u"p\u00e4ssw\u00f6rd", "d5320742dd9428b0cf7c95f6034873ef92c51987e438e6f2bda2edc6e5242860"},
        // 0x3F: no hashing, the key is the salt and password bytes, zero padded
        {{0xBF, 0x30, 1, 2, 3, 4}, u"ab", "0102030461006200000000000000000000000000000000000000000000000000"},
    };
    for (const Case& c : cases) {
        codec::AesKeyInfo info = codec::parseAesProperties(c.props);
        Sha256::Digest key = codec::deriveAesKey(info, c.password);
        EXPECT_EQ(Bytes(key.begin(), key.end()), unhex(c.key)) << c.key;
    }
}

TEST(AesKey, PropertiesLayout) {
    codec::AesKeyInfo info = codec::parseAesProperties({0xD3, 0x17, 9, 8, 7, 1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(info.numCyclesPower, 19u);
    EXPECT_EQ(info.saltSize, 2u);  // flag 1 + high nibble 1
    EXPECT_EQ(info.ivSize, 8u);    // flag 1 + low nibble 7
    EXPECT_EQ(Bytes(info.salt, info.salt + 2), (Bytes{9, 8}));
    EXPECT_EQ(Bytes(info.iv, info.iv + 16), (Bytes{7, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0}));

    const Bytes bad[] = {{}, {0x00, 0x00}, {0x40}, {0x40, 0x00}, {0x40, 0x01, 1}, {0xC0, 0x00, 1, 2, 3}};
    for (const Bytes& props : bad) EXPECT_THROW(codec::parseAesProperties(props), ArchiveError) << props.size();
    try {
        codec::parseAesProperties({0x19});  // 2^25 rounds
        ADD_FAILURE();
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.kind(), ArchiveErrorKind::Unsupported);
    }
}

TEST(AesDecoder, DecryptsArchivesWrittenBy7Zip) {
    struct Case {
        const char* options;
        std::u16string password;
        Bytes data;
    } cases[] = {
        {"-mx=0 -pSecret", u"Secret", test::randomBytes(5000, 40)},
        {"-mx=1 -pSecret", u"Secret", test::textBytes(100000, 41)},
        {"-m0=LZMA -mx=5 '-pp\u00e4ss w\u00f6rd'", u"p\u00e4ss w\u00f6rd", test::textBytes(30000, 42)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        Bytes archive = test::sevenZip(c.data, c.options);
        if (archive.empty()) GTEST_SKIP() << "7zz is not installed";
        test::Folder f = test::readSingleFolder(archive);
        ASSERT_GE(f.coders.size(), 1u);
        ASSERT_EQ(f.coders[0].id, method::kAes256Sha256);
        const std::u16string& password = c.password;
        EXPECT_EQ(test::decodeFolder(f, [&] { return std::optional<std::u16string>(password); }), c.data);

        // A wrong password yields garbage: the compressed formats reject it as Corrupt.
        if (f.coders.size() > 1 && f.coders[1].id != method::kCopy) {
            try {
                test::decodeFolder(f, [] { return std::optional<std::u16string>(u"Wrong"); });
                ADD_FAILURE() << "wrong password not detected";
            } catch (const ArchiveError& e) {
                EXPECT_EQ(e.kind(), ArchiveErrorKind::Corrupt);
            }
        }
        // Encrypted data cut short.
        test::Folder cut = f;
        cut.packed.resize(cut.packed.size() - 16);
        EXPECT_THROW(test::decodeFolder(cut, [&] { return std::optional<std::u16string>(password); }), ArchiveError);
    }
}

}  // namespace
}  // namespace qs::archive
