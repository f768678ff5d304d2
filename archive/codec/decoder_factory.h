// Building one decoder of a 7z folder's coder chain from its method id and properties.
//
// A folder's coders are chained by the container reader: each decoder is a ByteSource that
// pulls its packed bytes from `input` (another decoder or the packed stream) and yields the
// coder's unpacked bytes. The factory owns no state; every decoder owns its input.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/byte_source.h"

namespace qs::archive {

// 7z method ids (the coder's id bytes read as a big-endian number) this reader decodes.
namespace method {
inline constexpr std::uint64_t kCopy = 0x00;
inline constexpr std::uint64_t kDelta = 0x03;
inline constexpr std::uint64_t kBcjX86 = 0x03030103;
inline constexpr std::uint64_t kBcjX86New = 0x04;  // the short id newer 7-Zip writes for x86
inline constexpr std::uint64_t kLzma = 0x030101;
inline constexpr std::uint64_t kLzma2 = 0x21;
inline constexpr std::uint64_t kDeflate = 0x040108;
inline constexpr std::uint64_t kAes256Sha256 = 0x06F10701;
}  // namespace method

// Asked at most once per AES decoder, when the decoder is made. Returns the password as
// UTF-16 code units, or nullopt when the user has none (the decoder then fails with
// WrongPassword).
using PasswordProvider = std::function<std::optional<std::u16string>()>;

// Makes the decoder for one coder.
//   methodId    the coder's method id (see `method`).
//   props       the coder's properties as stored in the folder header (may be empty).
//   input       the packed stream; owned by the returned decoder.
//   unpackSize  the coder's unpacked size from the folder header. The decoder yields exactly
//               this many bytes and then returns 0; if its input ends first, or the packed
//               data is malformed, read() throws ArchiveError(Corrupt). Memory the decoder
//               allocates is bounded by unpackSize (e.g. an LZMA dictionary larger than the
//               output is never allocated), never by sizes taken blindly from props.
//   password    consulted only for AES.
// Throws ArchiveError:
//   Unsupported    unknown method id,
//   Corrupt        malformed props (wrong length, bad LZMA lc/lp/pb, bad LZMA2 dictionary byte),
//   WrongPassword  AES with no password from the provider (or no provider).
// A wrong password is not detected here: it yields garbage, which the next decoder (LZMA,
// LZMA2) normally rejects with Corrupt, or the folder's CRC with CrcMismatch.
std::unique_ptr<ByteSource> makeDecoder(std::uint64_t methodId, const std::vector<std::uint8_t>& props,
                                        std::unique_ptr<ByteSource> input, std::uint64_t unpackSize,
                                        const PasswordProvider& password);

// True when makeDecoder knows the method id.
bool isSupportedMethod(std::uint64_t methodId);

// Readable method name for messages ("LZMA2", "AES-256", or the id in hex when unknown).
std::string methodName(std::uint64_t methodId);

}  // namespace qs::archive
