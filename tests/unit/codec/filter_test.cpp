// Copy, BCJ x86 and Delta against liblzma's filters.
#include <gtest/gtest.h>

#include "archive/archive_error.h"
#include "archive/codec/decoder_factory.h"
#include "archive/codec/decoders.h"
#include "codec_test_util.h"

namespace qs::archive {
namespace {

using test::Bytes;

// Bytes from a small alphabet rich in CALL/JMP opcodes and address high bytes, so the
// converter meets every pattern of preceding opcodes; plus plain random bytes.
Bytes x86Like(std::size_t n, std::uint32_t seed) {
    static const std::uint8_t kAlphabet[] = {0xE8, 0xE9, 0x00, 0xFF, 0x0F, 0x8B};
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) {
        unsigned r = rng() % 8;
        x = r < 6 ? kAlphabet[r] : std::uint8_t(rng());
    }
    return b;
}

// Filters `data` with liblzma's `filterId` (encoder side) and returns the filtered bytes.
Bytes liblzmaFiltered(lzma_vli filterId, void* options, const Bytes& data) {
    lzma_options_lzma lz = test::lzmaOptions(0, 0);
    lzma_filter enc[] = {{filterId, options}, {LZMA_FILTER_LZMA2, &lz}, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_filter dec[] = {{LZMA_FILTER_LZMA2, &lz}, {LZMA_VLI_UNKNOWN, nullptr}};
    return test::rawDecode(dec, test::rawEncode(enc, data), data.size());
}

PasswordProvider noPassword() { return {}; }

TEST(BcjX86Decoder, UndoesLiblzmaX86Filter) {
    struct Case {
        const char* name;
        Bytes data;
    } cases[] = {
        {"empty", {}},
        {"shorter than an instruction", {0xE8, 0x00, 0x00}},
        {"opcode-dense", x86Like(200 * 1024 + 3, 30)},
        {"random", test::randomBytes(100 * 1024, 31)},
        {"call at the very end", [] {
             Bytes b = x86Like(1000, 32);
             b.insert(b.end(), {0xE8, 0x10, 0x20, 0x00, 0x00});
             return b;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes filtered = liblzmaFiltered(LZMA_FILTER_X86, nullptr, c.data);
        ASSERT_EQ(filtered.size(), c.data.size());
        for (std::uint64_t id : {method::kBcjX86, method::kBcjX86New}) {
            for (std::size_t step : {std::size_t(1) << 20, std::size_t(5), std::size_t(1)}) {
                auto dec = makeDecoder(id, {}, test::source(filtered, step), c.data.size(), noPassword());
                EXPECT_EQ(test::drain(*dec, step == 1 ? 3 : 1 << 16), c.data) << step;
            }
        }
    }
}

TEST(DeltaDecoder, UndoesLiblzmaDeltaFilter) {
    Bytes data = test::textBytes(50000, 33);
    for (std::uint32_t dist : {1u, 2u, 4u, 7u, 256u}) {
        lzma_options_delta opt{};
        opt.type = LZMA_DELTA_TYPE_BYTE;
        opt.dist = dist;
        Bytes filtered = liblzmaFiltered(LZMA_FILTER_DELTA, &opt, data);
        auto dec = makeDecoder(method::kDelta, {std::uint8_t(dist - 1)}, test::source(filtered, 777), data.size(),
                               noPassword());
        EXPECT_EQ(test::drain(*dec, 1000), data) << dist;
    }
    EXPECT_THROW(makeDecoder(method::kDelta, {}, test::source({}), 0, noPassword()), ArchiveError);
}

// A folder as 7-Zip writes executables: LZMA2 feeding BCJ.
TEST(BcjX86Decoder, ChainedAfterLzma2) {
    Bytes data = x86Like(300 * 1024, 34);
    lzma_options_lzma lz = test::lzmaOptions(6, 1 << 20);
    lzma_filter enc[] = {{LZMA_FILTER_X86, nullptr}, {LZMA_FILTER_LZMA2, &lz}, {LZMA_VLI_UNKNOWN, nullptr}};
    Bytes packed = test::rawEncode(enc, data);
    auto lzma2 = makeDecoder(method::kLzma2, {test::lzma2DictProp(1 << 20)}, test::source(packed), data.size(),
                             noPassword());
    auto bcj = makeDecoder(method::kBcjX86, {}, std::move(lzma2), data.size(), noPassword());
    EXPECT_EQ(test::drain(*bcj), data);
}

TEST(FilterDecoders, InputShorterThanTheSizeIsCorrupt) {
    for (std::uint64_t id : {method::kCopy, method::kBcjX86, method::kDelta}) {
        Bytes props = id == method::kDelta ? Bytes{0} : Bytes{};
        auto dec = makeDecoder(id, props, test::source(test::randomBytes(100, 35)), 101, noPassword());
        try {
            test::drain(*dec);
            ADD_FAILURE() << "no error for method " << id;
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), ArchiveErrorKind::Corrupt);
        }
    }
}

TEST(CopyDecoder, StopsAtTheSize) {
    Bytes data = test::randomBytes(1000, 36);
    auto dec = makeDecoder(method::kCopy, {}, test::source(data), 600, noPassword());
    EXPECT_EQ(test::drain(*dec, 7), Bytes(data.begin(), data.begin() + 600));
}

}  // namespace
}  // namespace qs::archive
