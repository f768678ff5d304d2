// The BCJ2 filter of 7z (x86 branch conversion with four input streams), as 7zz writes it for
// executables at the highest compression levels.
//
// Inputs: the main stream, the CALL targets, the JUMP targets (both big-endian 32-bit absolute
// addresses) and a range-coded stream of flags saying which E8/E9/Jcc opcodes were converted.
// The output is exactly `size` bytes; inputs that end early or a range stream that does not
// start as the encoder writes it throw ArchiveError(Corrupt).
#pragma once

#include <cstdint>
#include <memory>

#include "archive/byte_source.h"

namespace qs::archive {

inline constexpr std::uint64_t kBcj2MethodId = 0x0303011B;

std::unique_ptr<ByteSource> makeBcj2Decoder(std::unique_ptr<ByteSource> main, std::unique_ptr<ByteSource> call,
                                            std::unique_ptr<ByteSource> jump, std::unique_ptr<ByteSource> rangeCoded,
                                            std::uint64_t size);

}  // namespace qs::archive
