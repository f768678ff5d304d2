// Where the data appended to a PE image start.
//
// The appended data of an executable or library start at the largest (raw data offset + raw
// data size) over its section table. The engine reads its own headers with a fixed rule: the
// PE header offset at byte 60, the file header after the 4-byte "PE\0\0" signature, and the
// section table directly after a 224-byte optional header (the size of a PE32 optional header
// with its 16 data directories), 40 bytes per section entry. Two files carry appended data:
// the engine (its global lists) and yib.lib (its language file).
//
// Portable: works on the header bytes only.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace qs {

inline constexpr std::uint32_t kPeOptionalHeaderSize = 224;
inline constexpr std::uint32_t kPeSectionEntrySize = 40;

struct PeLayout {
    std::uint64_t appendedOffset = 0;       // end of the last section's raw data
    std::uint16_t sectionCount = 0;
    std::uint16_t optionalHeaderSize = 0;   // as the file header states it; the rule assumes 224
};

// Reads the layout from the start of an image (at least its headers and section table).
// Returns nullopt when the bytes are too short or are not a PE image: no "MZ", a PE header
// offset outside the bytes, no "PE\0\0" signature, no sections, or a section table that does
// not fit. A file header whose optional-header size is not 224 is still read with 224, as the
// engine does; callers that build packages check optionalHeaderSize themselves.
std::optional<PeLayout> readPeLayout(std::span<const std::uint8_t> image);

// Size of the appended data of a file of `fileSize` bytes: what lies beyond the offset.
// A file shorter than the offset (cut off) has none.
std::uint64_t appendedDataSize(const PeLayout& layout, std::uint64_t fileSize);

}  // namespace qs
