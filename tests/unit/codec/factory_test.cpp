// Method ids and the errors the factory reports before any data is read.
#include <gtest/gtest.h>

#include "archive/archive_error.h"
#include "archive/codec/decoder_factory.h"
#include "codec_test_util.h"

namespace qs::archive {
namespace {

std::optional<ArchiveErrorKind> makeError(std::uint64_t id, const test::Bytes& props, const PasswordProvider& pw) {
    try {
        makeDecoder(id, props, test::source({}), 16, pw);
    } catch (const ArchiveError& e) {
        return e.kind();
    }
    return std::nullopt;
}

TEST(DecoderFactory, SupportedMethodIds) {
    const std::uint64_t supported[] = {0x00, 0x03, 0x04, 0x03030103, 0x030101, 0x21, 0x040108, 0x06F10701};
    const std::uint64_t unsupported[] = {0x040109, 0x040202, 0x030401, 0x0303011B, 0x05, 0x21 << 8, 0x06F10702};
    for (std::uint64_t id : supported) EXPECT_TRUE(isSupportedMethod(id)) << std::hex << id;
    for (std::uint64_t id : unsupported) {
        EXPECT_FALSE(isSupportedMethod(id)) << std::hex << id;
        EXPECT_EQ(makeError(id, {}, {}), ArchiveErrorKind::Unsupported) << std::hex << id;
    }
    EXPECT_EQ(methodName(0x21), "LZMA2");
    EXPECT_EQ(methodName(0x0A0B), "method 0xA0B");
}

TEST(DecoderFactory, ErrorsBeforeReading) {
    const test::Bytes aesProps = {0x13};
    struct Case {
        const char* name;
        std::uint64_t id;
        test::Bytes props;
        PasswordProvider password;
        std::optional<ArchiveErrorKind> want;
    } cases[] = {
        {"AES without a provider", method::kAes256Sha256, aesProps, {}, ArchiveErrorKind::WrongPassword},
        {"AES, user has no password", method::kAes256Sha256, aesProps, [] { return std::optional<std::u16string>(); },
         ArchiveErrorKind::WrongPassword},
        {"AES with a password", method::kAes256Sha256, aesProps, [] { return std::optional<std::u16string>(u"x"); },
         std::nullopt},
        {"AES with bad properties", method::kAes256Sha256, {0x40}, [] { return std::optional<std::u16string>(u"x"); },
         ArchiveErrorKind::Corrupt},
        {"LZMA with 4 property bytes", method::kLzma, {0x5D, 0, 0, 1}, {}, ArchiveErrorKind::Corrupt},
        {"LZMA2 with dictionary byte 41", method::kLzma2, {41}, {}, ArchiveErrorKind::Corrupt},
        {"Delta without properties", method::kDelta, {}, {}, ArchiveErrorKind::Corrupt},
        {"Copy", method::kCopy, {}, {}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(makeError(c.id, c.props, c.password), c.want) << c.name;
}

}  // namespace
}  // namespace qs::archive
