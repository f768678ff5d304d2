// Appended-data offset of a PE image (see pe_appended.h).
#include "bootstrap/pe_appended.h"

namespace qs {

namespace {

std::uint32_t le16(std::span<const std::uint8_t> b, std::uint64_t at) {
    return b[at] | (std::uint32_t(b[at + 1]) << 8);
}
std::uint32_t le32(std::span<const std::uint8_t> b, std::uint64_t at) {
    return b[at] | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}

}  // namespace

std::optional<PeLayout> readPeLayout(std::span<const std::uint8_t> image) {
    const std::uint64_t size = image.size();
    if (size < 64 || image[0] != 'M' || image[1] != 'Z') return std::nullopt;
    const std::uint64_t pe = le32(image, 60);
    const std::uint64_t fileHeader = pe + 4;
    const std::uint64_t sectionTable = fileHeader + 20 + kPeOptionalHeaderSize;
    if (sectionTable > size) return std::nullopt;
    if (image[pe] != 'P' || image[pe + 1] != 'E' || image[pe + 2] != 0 || image[pe + 3] != 0)
        return std::nullopt;

    PeLayout layout;
    layout.sectionCount = static_cast<std::uint16_t>(le16(image, fileHeader + 2));
    layout.optionalHeaderSize = static_cast<std::uint16_t>(le16(image, fileHeader + 16));
    if (layout.sectionCount == 0) return std::nullopt;
    if (sectionTable + std::uint64_t(layout.sectionCount) * kPeSectionEntrySize > size) return std::nullopt;

    for (std::uint32_t i = 0; i < layout.sectionCount; ++i) {
        const std::uint64_t entry = sectionTable + std::uint64_t(i) * kPeSectionEntrySize;
        // 64-bit sum: a garbage raw offset + size must not wrap around.
        const std::uint64_t end = std::uint64_t(le32(image, entry + 20)) + le32(image, entry + 16);
        if (end > layout.appendedOffset) layout.appendedOffset = end;
    }
    return layout;
}

std::uint64_t appendedDataSize(const PeLayout& layout, std::uint64_t fileSize) {
    return fileSize > layout.appendedOffset ? fileSize - layout.appendedOffset : 0;
}

}  // namespace qs
