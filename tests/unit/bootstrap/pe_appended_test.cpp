// The appended-data offset of PE images, from their header bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "bootstrap/pe_appended.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

void put16(Bytes& b, size_t at, std::uint32_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = (v >> 8) & 0xFF;
}
void put32(Bytes& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

struct Section {
    std::uint32_t rawSize, rawOffset;
};

// A PE32 header with the given sections; the image is `size` bytes (at least the headers).
Bytes makeImage(const std::vector<Section>& sections, size_t size = 0, std::uint32_t peOffset = 0x80,
                std::uint16_t optionalHeaderSize = 224) {
    const size_t headers = peOffset + 4 + 20 + 224 + 40 * sections.size();
    Bytes b(std::max(size, headers), 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 60, peOffset);
    b[peOffset] = 'P';
    b[peOffset + 1] = 'E';
    put16(b, peOffset + 4, 0x14C);
    put16(b, peOffset + 6, static_cast<std::uint32_t>(sections.size()));
    put16(b, peOffset + 20, optionalHeaderSize);
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t e = peOffset + 4 + 20 + 224 + 40 * i;
        put32(b, e + 16, sections[i].rawSize);
        put32(b, e + 20, sections[i].rawOffset);
    }
    return b;
}

}  // namespace

TEST(PeAppended, OffsetIsTheLargestSectionEnd) {
    struct Case {
        const char* name;
        std::vector<Section> sections;
        std::uint64_t offset;
    };
    const Case cases[] = {
        {"one section", {{0x200, 0x400}}, 0x600},
        {"last entry is not the last in the file", {{0x200, 0x800}, {0x400, 0x400}}, 0xA00},
        {"empty section at the end counts its offset", {{0x200, 0x400}, {0, 0x1000}}, 0x1000},
        {"raw offset + size beyond 32 bits does not wrap", {{0xFFFFFFFF, 0x10}}, 0x10000000Full},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto layout = qs::readPeLayout(makeImage(c.sections));
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->appendedOffset, c.offset);
        EXPECT_EQ(layout->sectionCount, c.sections.size());
    }
}

// The section table is found after 224 bytes of optional header whatever the file header says;
// the stated size is reported so that the packer can refuse such images.
TEST(PeAppended, SectionTableFollowsA224ByteOptionalHeader) {
    auto layout = qs::readPeLayout(makeImage({{0x200, 0x400}}, 0, 0x80, 240));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->appendedOffset, 0x600u);
    EXPECT_EQ(layout->optionalHeaderSize, 240);
}

TEST(PeAppended, ShortOrGarbageInputIsNoImage) {
    Bytes good = makeImage({{0x200, 0x400}, {0x200, 0x600}});
    struct Case {
        const char* name;
        Bytes bytes;
    };
    Bytes noMz = good;
    noMz[0] = 'X';
    Bytes noSignature = good;
    noSignature[0x81] = 'X';
    Bytes farHeader = good;
    put32(farHeader, 60, 0xFFFFFFF0u);
    Bytes noSections = makeImage({});
    Bytes cutTable(good.begin(), good.end() - 1);  // the last section entry is one byte short
    const Case cases[] = {
        {"empty", {}},
        {"shorter than the DOS header", Bytes(63, 0)},
        {"no MZ", noMz},
        {"no PE signature", noSignature},
        {"PE header offset beyond the file", farHeader},
        {"no sections", noSections},
        {"section table cut off", cutTable},
        {"headers cut off", Bytes(good.begin(), good.begin() + 0x80 + 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(qs::readPeLayout(c.bytes));
    }
}

TEST(PeAppended, AppendedSizeIsWhatLiesBeyondTheOffset) {
    qs::PeLayout layout;
    layout.appendedOffset = 0x600;
    EXPECT_EQ(qs::appendedDataSize(layout, 0x600), 0u);
    EXPECT_EQ(qs::appendedDataSize(layout, 0x6FF), 0xFFu);
    EXPECT_EQ(qs::appendedDataSize(layout, 0x500), 0u);  // cut off: nothing appended, not negative
}
