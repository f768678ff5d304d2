// LZMA and LZMA2 decoders against streams made by liblzma's encoder, and against damaged input.
#include <gtest/gtest.h>

#include "archive/archive_error.h"
#include "archive/codec/decoders.h"
#include "codec_test_util.h"

namespace qs::archive {
namespace {

using codec::kUnknownSize;
using test::Bytes;

struct Shape {
    const char* name;
    Bytes data;
};

std::vector<Shape> shapes() {
    return {
        {"empty", {}},
        {"one byte", {0x41}},
        {"random", test::randomBytes(200 * 1024 + 7, 1)},
        {"repetitive", test::repetitiveBytes(300 * 1024)},
        {"text", test::textBytes(400 * 1024 + 3, 2)},
        // Text, then random, then the text again: long-distance matches across an incompressible gap.
        {"mixed", [] {
             Bytes t = test::textBytes(96 * 1024, 3), r = test::randomBytes(64 * 1024, 4), all = t;
             all.insert(all.end(), r.begin(), r.end());
             all.insert(all.end(), t.begin(), t.end());
             return all;
         }()},
    };
}

struct Config {
    std::uint32_t preset;
    std::uint32_t dictSize;  // 0: the preset's; small ones make the data larger than the dictionary
};
const Config kConfigs[] = {{0, 0}, {1, 64 * 1024}, {6, 0}, {3, 4096}, {6, 128 * 1024}};

Bytes decodeLzma2(const Bytes& packed, std::uint8_t dictProp, std::uint64_t size, std::size_t readChunk = 1 << 16) {
    auto dec = codec::makeLzma2Decoder({dictProp}, test::source(packed), size);
    return test::drain(*dec, readChunk);
}

TEST(Lzma2Decoder, MatchesLiblzmaAcrossShapesPresetsAndDictionaries) {
    for (const Shape& s : shapes()) {
        for (const Config& c : kConfigs) {
            SCOPED_TRACE(std::string(s.name) + " preset " + std::to_string(c.preset & 0xFF) + " dict " +
                         std::to_string(c.dictSize));
            Bytes packed = test::encodeLzma2(s.data, c.preset, c.dictSize);
            std::uint32_t dict = test::lzmaOptions(c.preset, c.dictSize).dict_size;
            EXPECT_EQ(decodeLzma2(packed, test::lzma2DictProp(dict), s.data.size()), s.data);
            // Without a size, the stream's end byte ends the output.
            EXPECT_EQ(decodeLzma2(packed, test::lzma2DictProp(dict), kUnknownSize), s.data);
        }
    }
}

TEST(Lzma2Decoder, OddReadSizesAndTrickledInput) {
    Bytes data = test::textBytes(150 * 1024, 5);
    Bytes packed = test::encodeLzma2(data, 6, 32 * 1024);
    for (std::size_t readChunk : {1u, 7u, 4095u, 1u << 20}) {
        SCOPED_TRACE(readChunk);
        EXPECT_EQ(decodeLzma2(packed, test::lzma2DictProp(32 * 1024), data.size(), readChunk), data);
    }
    auto dec = codec::makeLzma2Decoder({test::lzma2DictProp(32 * 1024)}, test::source(packed, 3), data.size());
    EXPECT_EQ(test::drain(*dec, 1000), data);
}

TEST(Lzma2Decoder, SecondStreamResetsDictionary) {
    // Two streams joined (the first one's end byte dropped): the second begins with a
    // dictionary reset, as multi-block encoders write.
    Bytes a = test::textBytes(70 * 1024, 6), b = test::textBytes(50 * 1024, 7);
    Bytes pa = test::encodeLzma2(a, 6, 1 << 20), pb = test::encodeLzma2(b, 1, 1 << 20);
    ASSERT_EQ(pa.back(), 0);
    pa.pop_back();
    pa.insert(pa.end(), pb.begin(), pb.end());
    Bytes want = a;
    want.insert(want.end(), b.begin(), b.end());
    EXPECT_EQ(decodeLzma2(pa, test::lzma2DictProp(1 << 20), want.size()), want);
}

TEST(Lzma2Decoder, HandWrittenStoredChunks) {
    // 01: stored chunk with dictionary reset, 02: stored chunk keeping it, 00: end.
    Bytes packed = {0x01, 0x00, 0x02, 'a', 'b', 'c', 0x02, 0x00, 0x00, 'd', 0x00};
    EXPECT_EQ(decodeLzma2(packed, 0, 4), (Bytes{'a', 'b', 'c', 'd'}));
}

struct BadStream {
    const char* name;
    Bytes packed;
    std::uint64_t size;
};

TEST(Lzma2Decoder, RejectsMalformedStreams) {
    Bytes good = test::encodeLzma2(test::textBytes(20000, 8), 6, 1 << 16);
    auto with = [&](std::size_t at, std::uint8_t v) {
        Bytes b = good;
        b[at] = v;
        return b;
    };
    const BadStream cases[] = {
        {"empty input", {}, 10},
        {"reserved control byte", {0x03, 0x00, 0x00, 'x', 0x00}, 1},
        {"stored chunk without dictionary reset first", {0x02, 0x00, 0x00, 'x', 0x00}, 1},
        {"LZMA chunk without dictionary reset first", with(0, 0xC0), 20000},
        {"LZMA chunk without properties after reset", {0x01, 0x00, 0x00, 'x', 0x80, 0x00, 0x00, 0x00, 0x04, 0, 0, 0, 0, 0}, 3},
        {"stream ends before the size", {0x01, 0x00, 0x00, 'x', 0x00}, 2},
        {"chunk larger than the size", {0x01, 0x00, 0x01, 'x', 'y', 0x00}, 1},
        {"stored chunk cut short", {0x01, 0x00, 0x05, 'x', 'y'}, 6},
        {"lc + lp above 4", with(5, (0 * 5 + 2) * 9 + 3), 20000},
        {"range coder first byte not zero", with(6, 0x01), 20000},
        {"packed size one too small", [&] {
             Bytes b = good;
             std::uint32_t packed = (b[3] << 8 | b[4]);
             b[3] = std::uint8_t((packed - 1) >> 8);
             b[4] = std::uint8_t(packed - 1);
             return b;
         }(),
         20000},
    };
    for (const BadStream& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            decodeLzma2(c.packed, 16, c.size);
            ADD_FAILURE() << "no error";
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), ArchiveErrorKind::Corrupt) << e.what();
        }
    }
    EXPECT_THROW(codec::makeLzma2Decoder({41}, test::source({}), 1), ArchiveError);
    EXPECT_THROW(codec::makeLzma2Decoder({}, test::source({}), 1), ArchiveError);
}

// Every truncation point of a stream fails with Corrupt; none crashes or hangs.
TEST(Lzma2Decoder, TruncatedStreamsAreCorrupt) {
    Bytes data = test::textBytes(30000, 9);
    Bytes packed = test::encodeLzma2(data, 6, 1 << 16);
    for (std::size_t cut = 0; cut + 1 < packed.size(); cut += 1 + cut / 8) {
        SCOPED_TRACE(cut);
        Bytes part(packed.begin(), packed.begin() + cut);
        EXPECT_THROW(decodeLzma2(part, 16, data.size()), ArchiveError);
    }
}

// What a wrong password leaves: random bytes, however the start looks. All must be rejected.
TEST(Lzma2Decoder, RandomBytesAreCorrupt) {
    for (std::uint32_t seed = 0; seed < 300; ++seed) {
        Bytes junk = test::randomBytes(2048, 100 + seed);
        if (seed % 2) junk[0] = 0xE0;  // a plausible first chunk header
        EXPECT_THROW(decodeLzma2(junk, 16, 100000), ArchiveError) << seed;
    }
}

// Flipped bits: an error or some output of the right length, never a crash; and nearly all are caught.
TEST(Lzma2Decoder, BitFlipsAreAlmostAlwaysDetected) {
    Bytes data = test::textBytes(60000, 10);
    Bytes packed = test::encodeLzma2(data, 6, 1 << 16);
    std::mt19937 rng(11);
    int detected = 0, trials = 300;
    for (int i = 0; i < trials; ++i) {
        Bytes bad = packed;
        std::size_t at = rng() % bad.size();
        bad[at] ^= std::uint8_t(1u << (rng() % 8));
        try {
            Bytes out = decodeLzma2(bad, 16, data.size());
            EXPECT_EQ(out.size(), data.size());
            if (out != data) ADD_FAILURE() << "undetected change of the output, byte " << at;
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), ArchiveErrorKind::Corrupt);
            ++detected;
        }
    }
    EXPECT_GE(detected, trials * 95 / 100);
}

// LZMA (the 7z method 030101): with an end marker or without, size known or not.
Bytes encodeLzma1(const Bytes& data, const lzma_options_lzma& opt, bool endMarker) {
    lzma_options_lzma o = opt;
    o.ext_flags = endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
    o.ext_size_low = endMarker ? UINT32_MAX : std::uint32_t(data.size());
    o.ext_size_high = endMarker ? UINT32_MAX : std::uint32_t(std::uint64_t(data.size()) >> 32);
    lzma_filter f[] = {{LZMA_FILTER_LZMA1EXT, &o}, {LZMA_VLI_UNKNOWN, nullptr}};
    return test::rawEncode(f, data);
}

Bytes decodeLzma1(const Bytes& packed, const Bytes& props, std::uint64_t size, std::size_t readChunk = 1 << 16) {
    auto dec = codec::makeLzmaDecoder(props, test::source(packed), size);
    return test::drain(*dec, readChunk);
}

TEST(LzmaDecoder, MatchesLiblzmaWithAndWithoutEndMarker) {
    for (const Shape& s : shapes()) {
        for (const Config& c : kConfigs) {
            lzma_options_lzma opt = test::lzmaOptions(c.preset, c.dictSize);
            if (c.preset == 1) {  // vary the literal and position bits as well
                opt.lc = 0;
                opt.lp = 2;
                opt.pb = 0;
            }
            if (c.preset == 0) opt.lc = 4;
            SCOPED_TRACE(std::string(s.name) + " preset " + std::to_string(c.preset & 0xFF));
            Bytes props = test::lzmaProps(opt);
            Bytes plain = encodeLzma1(s.data, opt, false);
            Bytes marked = encodeLzma1(s.data, opt, true);
            EXPECT_EQ(decodeLzma1(plain, props, s.data.size()), s.data);
            EXPECT_EQ(decodeLzma1(marked, props, s.data.size()), s.data);
            EXPECT_EQ(decodeLzma1(marked, props, kUnknownSize), s.data);
        }
    }
}

TEST(LzmaDecoder, OddReadSizes) {
    Bytes data = test::textBytes(100 * 1024, 12);
    lzma_options_lzma opt = test::lzmaOptions(6, 16 * 1024);
    Bytes packed = encodeLzma1(data, opt, false);
    for (std::size_t readChunk : {1u, 13u, 70000u}) EXPECT_EQ(decodeLzma1(packed, test::lzmaProps(opt), data.size(), readChunk), data);
}

TEST(LzmaDecoder, RejectsMalformedStreams) {
    Bytes data = test::textBytes(20000, 13);
    lzma_options_lzma opt = test::lzmaOptions(6, 1 << 16);
    Bytes props = test::lzmaProps(opt);
    Bytes plain = encodeLzma1(data, opt, false);
    Bytes marked = encodeLzma1(data, opt, true);
    Bytes badStart = plain;
    badStart[0] = 0x80;

    struct Case {
        const char* name;
        Bytes packed;
        std::uint64_t size;
    } cases[] = {
        {"first byte not zero", badStart, data.size()},
        {"end marker before the size", marked, data.size() + 1},
        {"data continues past the size", plain, data.size() - 100},
        {"no end marker and no size", plain, kUnknownSize},
        {"truncated", Bytes(plain.begin(), plain.end() - 3), data.size()},
        {"only the header", Bytes(plain.begin(), plain.begin() + 5), data.size()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            decodeLzma1(c.packed, props, c.size);
            ADD_FAILURE() << "no error";
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), ArchiveErrorKind::Corrupt) << e.what();
        }
    }
    EXPECT_THROW(decodeLzma1(plain, {225, 0, 0, 1, 0}, data.size()), ArchiveError);  // lc/lp/pb byte out of range
    EXPECT_THROW(decodeLzma1(plain, {93, 0, 0}, data.size()), ArchiveError);         // short properties
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        Bytes junk = test::randomBytes(2048, 500 + seed);
        junk[0] = 0;
        EXPECT_THROW(decodeLzma1(junk, props, 100000), ArchiveError) << seed;
    }
}

// A 4 GiB dictionary in the properties must not be allocated for a small output, nor before
// the output exists: a huge claimed size over a short stream fails fast instead.
TEST(LzmaDecoder, DictionaryMemoryFollowsTheOutput) {
    Bytes data = test::textBytes(5000, 14);
    lzma_options_lzma opt = test::lzmaOptions(6, 1 << 16);
    Bytes packed = encodeLzma1(data, opt, false);
    Bytes hugeDict = {test::lzmaProps(opt)[0], 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(decodeLzma1(packed, hugeDict, data.size()), data);
    EXPECT_THROW(decodeLzma1(packed, hugeDict, std::uint64_t(1) << 40), ArchiveError);
    Bytes packed2 = test::encodeLzma2(data, 6, 1 << 16);
    EXPECT_EQ(decodeLzma2(packed2, 40, data.size()), data);
    EXPECT_THROW(decodeLzma2(packed2, 40, std::uint64_t(1) << 40), ArchiveError);
}

}  // namespace
}  // namespace qs::archive
