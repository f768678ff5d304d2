// The container reader against hand-built archives: what a sound archive yields, and the
// error each kind of damage gives.
#include <gtest/gtest.h>

#include <functional>

#include "archive/archive_error.h"
#include "archive/extractor.h"
#include "archive/sevenzip_archive.h"
#include "archive_builder.h"

using namespace qs::archive;
using namespace qs::archive::fixtures;

namespace {

std::unique_ptr<SevenZipArchive> open(const std::string& bytes, PasswordProvider pw = {}) {
    return std::make_unique<SevenZipArchive>(std::make_unique<MemoryInputFile>(bytes), std::move(pw));
}

std::string readAll(ByteSource& s) {
    std::string out;
    std::uint8_t buf[4096];
    for (std::size_t n; (n = s.read(buf, sizeof buf)) > 0;) out.append(reinterpret_cast<char*>(buf), n);
    return out;
}

ArchiveErrorKind openError(const std::string& bytes) {
    try {
        open(bytes);
    } catch (const ArchiveError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "archive opened";
    return ArchiveErrorKind::Io;
}

// Opens, then decodes every folder.
ArchiveErrorKind decodeError(const std::string& bytes) {
    try {
        auto a = open(bytes);
        for (std::uint32_t f = 0; f < a->folders().size(); ++f) readAll(*a->openFolder(f));
    } catch (const ArchiveError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "archive decoded";
    return ArchiveErrorKind::Io;
}

// A main header with one stored folder of `size` bytes (coders given raw) and `files` entries.
std::string streamsHeader(const std::string& folderBytes, const std::string& unpackSizes, std::uint64_t packSize) {
    return b({0x04, 0x06}) + num(0) + num(1) + b({0x09}) + num(packSize) + b({0x00}) + b({0x07, 0x0B}) + num(1) + b({0x00}) +
           folderBytes + b({0x0C}) + unpackSizes + b({0x00, 0x00});
}
std::string oneName(const std::u16string& n) {
    const std::string names = b({0x00}) + utf16z(n);
    return b({0x05}) + num(1) + b({0x11}) + num(names.size()) + names + b({0x00});
}

}  // namespace

TEST(SevenZipArchive, ReadsNamesKindsSizesAndDataOfAStoredArchive) {
    const std::vector<Item> items = {
        {u"docs", "", true},
        {u"docs/read me.txt", "hello world"},
        {u"empty.txt", ""},
        {u"b\u00e4r.bin", std::string(70000, 'x')},
    };
    auto a = open(copyArchive(items));
    const auto& e = a->entries();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_TRUE(e[0].isFolder);
    EXPECT_FALSE(e[0].hasStream);
    EXPECT_EQ(e[1].name, u"docs/read me.txt");
    EXPECT_EQ(e[1].size, 11u);
    EXPECT_EQ(e[1].crc, crcOf("hello world"));
    EXPECT_FALSE(e[2].isFolder);
    EXPECT_FALSE(e[2].hasStream);
    EXPECT_EQ(e[3].name, u"b\u00e4r.bin");
    EXPECT_EQ(e[3].offsetInFolder, 11u);
    ASSERT_EQ(a->folders().size(), 1u);
    EXPECT_EQ(readAll(*a->openFolder(0)), "hello world" + std::string(70000, 'x'));
}

TEST(SevenZipArchive, AnArchiveWithoutHeaderIsEmpty) {
    const std::string tail = u64le(0) + u64le(0) + u32le(0);
    auto a = open(b({'7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0, 4}) + u32le(crcOf(tail)) + tail);
    EXPECT_TRUE(a->entries().empty());
}

struct Damage {
    const char* name;
    std::function<std::string()> archive;
    ArchiveErrorKind kind;
};

class DamagedArchive : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedArchive, FailsToOpenWithTheRightError) { EXPECT_EQ(openError(GetParam().archive()), GetParam().kind); }

const std::string kGood = copyArchive({{u"a.txt", "alpha"}, {u"b.txt", "beta"}});
const std::string kCopyFolder = num(1) + b({0x01, 0x00});

std::string flip(std::string s, std::size_t at) {
    s.at(at) = static_cast<char>(s.at(at) ^ 0x01);
    return s;
}

// An encoded header whose decoded bytes are itself: decoding must not go on forever.
std::string selfEncodedHeader() {
    std::string h;
    std::uint64_t size = 30;
    for (int i = 0; i < 3; ++i) {
        h = b({0x17}) + streamsHeader(kCopyFolder, num(size), size);
        size = h.size();
    }
    return archiveFrom(h, h);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DamagedArchive,
    ::testing::Values(
        Damage{"NoSignature", [] { return std::string("PK\x03\x04 not a 7z archive at all, no"); }, ArchiveErrorKind::NotAnArchive},
        Damage{"EmptyFile", [] { return std::string(); }, ArchiveErrorKind::NotAnArchive},
        Damage{"TruncatedSignatureHeader", [] { return kGood.substr(0, 20); }, ArchiveErrorKind::Corrupt},
        Damage{"StartHeaderCrc", [] { return flip(kGood, 8); }, ArchiveErrorKind::Corrupt},
        Damage{"HeaderOffsetFlipped", [] { return flip(kGood, 12); }, ArchiveErrorKind::Corrupt},
        Damage{"HeaderByteFlipped", [] { return flip(kGood, kGood.size() - 3); }, ArchiveErrorKind::Corrupt},
        Damage{"LastByteCut", [] { return kGood.substr(0, kGood.size() - 1); }, ArchiveErrorKind::Corrupt},
        Damage{"MajorVersion1",
               [] {
                   std::string s = kGood;
                   s[6] = 1;
                   return s;
               },
               ArchiveErrorKind::Unsupported},
        Damage{"UnknownHeaderType", [] { return archiveFrom("", b({0x09, 0x00})); }, ArchiveErrorKind::Corrupt},
        Damage{"HugeFileCount", [] { return archiveFrom("", b({0x01, 0x05}) + num(1ull << 40) + b({0x00, 0x00})); }, ArchiveErrorKind::Corrupt},
        Damage{"HugeFolderCount",
               [] { return archiveFrom("x", b({0x01, 0x04, 0x06}) + num(0) + num(1) + b({0x09, 0x01, 0x00, 0x07, 0x0B}) + num(1ull << 33) + b({0x00, 0x00})); },
               ArchiveErrorKind::Corrupt},
        Damage{"HugePackCount", [] { return archiveFrom("", b({0x01, 0x04, 0x06}) + num(0) + num(1ull << 50) + b({0x00})); }, ArchiveErrorKind::Corrupt},
        Damage{"PackedStreamBeyondEnd", [] { return archiveFrom("abc", b({0x01}) + streamsHeader(kCopyFolder, num(3), 1ull << 40) + oneName(u"a") + b({0x00})); },
               ArchiveErrorKind::Corrupt},
        Damage{"PackPosBeyondEnd",
               [] {
                   return archiveFrom("abc", b({0x01, 0x04, 0x06}) + num(1ull << 62) + num(1) + b({0x09}) + num(3) +
                                                 b({0x00, 0x07, 0x0B}) + num(1) + b({0x00}) + kCopyFolder + b({0x0C}) + num(3) +
                                                 b({0x00, 0x00}) + oneName(u"a") + b({0x00}));
               },
               ArchiveErrorKind::Corrupt},
        Damage{"NoCoders", [] { return archiveFrom("abc", b({0x01}) + streamsHeader(num(0), num(3), 3) + oneName(u"a") + b({0x00})); },
               ArchiveErrorKind::Corrupt},
        Damage{"TooManyCoders",
               [] {
                   std::string f = num(17);
                   for (int i = 0; i < 17; ++i) f += b({0x01, 0x00});
                   return archiveFrom("abc", b({0x01}) + streamsHeader(f, num(3), 3) + oneName(u"a") + b({0x00}));
               },
               ArchiveErrorKind::Corrupt},
        Damage{"BindPairOutOfRange",
               [] {
                   const std::string f = num(2) + b({0x01, 0x00, 0x01, 0x00}) + num(7) + num(0);
                   return archiveFrom("abc", b({0x01}) + streamsHeader(f, num(3) + num(3), 3) + oneName(u"a") + b({0x00}));
               },
               ArchiveErrorKind::Corrupt},
        Damage{"MethodIdTooLong",
               [] { return archiveFrom("abc", b({0x01}) + streamsHeader(num(1) + b({0x09, 1, 2, 3, 4, 5, 6, 7, 8, 9}), num(3), 3) + oneName(u"a") + b({0x00})); },
               ArchiveErrorKind::Unsupported},
        Damage{"SubstreamsExceedFolder",
               [] {
                   std::string h = b({0x01}) + streamsHeader(kCopyFolder, num(3), 3);
                   h.pop_back();  // reopen the streams info for substreams
                   h += b({0x08, 0x0D}) + num(2) + b({0x09}) + num(9) + b({0x00, 0x00});
                   const std::string names = b({0x00}) + utf16z(u"a") + utf16z(u"b");
                   return archiveFrom("abc", h + b({0x05}) + num(2) + b({0x11}) + num(names.size()) + names + b({0x00, 0x00}));
               },
               ArchiveErrorKind::Corrupt},
        Damage{"NameWithoutTerminator",
               [] { return archiveFrom("", b({0x01, 0x05}) + num(1) + b({0x0E, 0x01, 0x80, 0x11}) + num(3) + b({0x00, 'a', 0x00}) + b({0x00, 0x00})); },
               ArchiveErrorKind::Corrupt},
        Damage{"MoreFilesThanStreams",
               [] {
                   const std::string names = b({0x00}) + utf16z(u"a") + utf16z(u"b");
                   return archiveFrom("abc", b({0x01}) + streamsHeader(kCopyFolder, num(3), 3) + b({0x05}) + num(2) + b({0x11}) + num(names.size()) + names + b({0x00, 0x00}));
               },
               ArchiveErrorKind::Corrupt},
        Damage{"BitFieldLongerThanHeader", [] { return archiveFrom("", b({0x01, 0x05}) + num(100) + b({0x0E, 0x01, 0xFF, 0x00, 0x00})); },
               ArchiveErrorKind::Corrupt},
        Damage{"HeaderEncodedInItself", selfEncodedHeader, ArchiveErrorKind::Corrupt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SevenZipArchive, DecodingFailsWithTheRightError) {
    struct Case {
        const char* name;
        std::string archive;
        ArchiveErrorKind kind;
    };
    // A folder with an unknown method, one whose coder has four inputs (as BCJ2), a stored
    // folder with the wrong CRC, and a stored folder larger than its packed data.
    const std::string unknownMethod = num(1) + b({0x03, 0x7F, 0x7F, 0x7F});
    const std::string fourInputs = num(1) + b({0x14, 0x03, 0x03, 0x01, 0x1C}) + num(4) + num(1) + num(0) + num(1) + num(2) + num(3);
    std::string withCrc = b({0x01}) + streamsHeader(kCopyFolder, num(3), 3);
    withCrc.resize(withCrc.size() - 2);
    withCrc += b({0x0A, 0x01}) + u32le(crcOf("abd")) + b({0x00, 0x00});
    const std::vector<Case> cases = {
        {"UnknownMethod", archiveFrom("abc", b({0x01}) + streamsHeader(unknownMethod, num(3), 3) + oneName(u"a") + b({0x00})), ArchiveErrorKind::Unsupported},
        {"FourInputCoder",
         archiveFrom("abcd", b({0x01, 0x04, 0x06}) + num(0) + num(4) + b({0x09}) + num(1) + num(1) + num(1) + num(1) + b({0x00, 0x07, 0x0B}) + num(1) +
                                 b({0x00}) + fourInputs + b({0x0C}) + num(4) + b({0x00, 0x00}) + oneName(u"a") + b({0x00})),
         ArchiveErrorKind::Unsupported},
        {"FolderCrc", archiveFrom("abc", withCrc + oneName(u"a") + b({0x00})), ArchiveErrorKind::CrcMismatch},
        {"StoredDataShort", archiveFrom("abc", b({0x01}) + streamsHeader(kCopyFolder, num(5), 3) + oneName(u"a") + b({0x00})), ArchiveErrorKind::Corrupt},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeError(c.archive), c.kind) << c.name;
}

// Any single flipped bit of a sound archive must give an ArchiveError or the archive's own
// data, nothing else (no crash, no other exception).
TEST(SevenZipArchive, EveryFlippedBitIsCaught) {
    const std::string good = copyArchive({{u"dir", "", true}, {u"dir/a.txt", "alpha"}, {u"b.txt", "beta"}, {u"c", ""}});
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            std::string bad = good;
            bad[i] = static_cast<char>(bad[i] ^ (1 << bit));
            try {
                auto a = open(bad);
                for (std::uint32_t f = 0; f < a->folders().size(); ++f) readAll(*a->openFolder(f));
                // Only the minor version and the packed data are not covered by a header CRC;
                // the file CRCs catch the data when extracting.
                EXPECT_TRUE(i == 7 || (i >= 32 && i < 32 + 9)) << "byte " << i;
            } catch (const ArchiveError&) {
            }
        }
    }
}
