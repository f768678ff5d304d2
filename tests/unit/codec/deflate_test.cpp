// Deflate on streams written by 7-Zip, and on small hand-made streams that show each check.
#include <gtest/gtest.h>

#include "archive/archive_error.h"
#include "archive/codec/decoder_factory.h"
#include "codec_test_util.h"
#include "seven_zip_fixture.h"

namespace qs::archive {
namespace {

using test::Bytes;

Bytes inflate(const Bytes& packed, std::uint64_t size, std::size_t readChunk = 1 << 16) {
    auto dec = makeDecoder(method::kDeflate, {}, test::source(packed), size, {});
    return test::drain(*dec, readChunk);
}

TEST(DeflateDecoder, DecodesArchivesWrittenBy7Zip) {
    struct Case {
        const char* options;
        Bytes data;
    } cases[] = {
        {"-m0=Deflate -mx=1", test::textBytes(300000, 50)},
        {"-m0=Deflate -mx=9", test::textBytes(200000, 51)},
        {"-m0=Deflate -mx=5", test::randomBytes(100000, 52)},  // stored blocks
        {"-m0=Deflate -mx=5", test::repetitiveBytes(150000)},
        {"-m0=Deflate -mx=5", {0x41}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options + std::string(" ") + std::to_string(c.data.size()));
        Bytes archive = test::sevenZip(c.data, c.options);
        if (archive.empty()) GTEST_SKIP() << "7zz is not installed";
        test::Folder f = test::readSingleFolder(archive);
        ASSERT_EQ(f.coders.size(), 1u);
        ASSERT_EQ(f.coders[0].id, method::kDeflate);
        EXPECT_EQ(inflate(f.packed, c.data.size()), c.data);
        EXPECT_EQ(inflate(f.packed, c.data.size(), 777), c.data);
        // Cut short, or asked for more than it holds: Corrupt.
        for (std::size_t cut : {std::size_t(0), f.packed.size() / 2, f.packed.size() - 1}) {
            if (cut >= f.packed.size()) continue;
            EXPECT_THROW(inflate(Bytes(f.packed.begin(), f.packed.begin() + std::ptrdiff_t(cut)), c.data.size()),
                         ArchiveError)
                << cut;
        }
        EXPECT_THROW(inflate(f.packed, c.data.size() + 1), ArchiveError);
    }
}

TEST(DeflateDecoder, HandMadeStreams) {
    // A final stored block holding "abc".
    EXPECT_EQ(inflate({0x01, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c'}, 3), (Bytes{'a', 'b', 'c'}));

    struct Case {
        const char* name;
        Bytes packed;
    } bad[] = {
        {"reserved block type", {0x07, 0x00}},
        {"stored length check", {0x01, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'}},
        // Fixed codes: length 3 at distance 1 before any output.
        {"distance before the start", {0x03, 0x02, 0x00}},
        {"empty input", {}},
    };
    for (const Case& c : bad) {
        try {
            inflate(c.packed, 3);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), ArchiveErrorKind::Corrupt) << c.name;
        }
    }
}

// Garbage (as after a wrong password) ends in an error or in output of the expected size;
// it never reads out of bounds or runs away (the sanitizer build checks the former).
TEST(DeflateDecoder, RandomInputStaysBounded) {
    int errors = 0;
    for (std::uint32_t seed = 0; seed < 300; ++seed) {
        try {
            EXPECT_EQ(inflate(test::randomBytes(1024, 600 + seed), 50000).size(), 50000u);
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), ArchiveErrorKind::Corrupt);
            ++errors;
        }
    }
    EXPECT_GE(errors, 290);
}

}  // namespace
}  // namespace qs::archive
