// Constructors of the individual decoders; decoder_factory.h picks among them by method id.
// Each returned source owns `input` and yields exactly `unpackSize` bytes; inputs that end
// early or are malformed make read() throw ArchiveError(Corrupt).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/byte_source.h"

namespace qs::archive::codec {

// For LZMA and LZMA2: the size is not known and the stream's own end marks the end.
inline constexpr std::uint64_t kUnknownSize = ~std::uint64_t(0);

std::unique_ptr<ByteSource> makeCopyDecoder(std::unique_ptr<ByteSource> input, std::uint64_t unpackSize);
std::unique_ptr<ByteSource> makeLzmaDecoder(const std::vector<std::uint8_t>& props, std::unique_ptr<ByteSource> input,
                                            std::uint64_t unpackSize);
std::unique_ptr<ByteSource> makeLzma2Decoder(const std::vector<std::uint8_t>& props,
                                             std::unique_ptr<ByteSource> input, std::uint64_t unpackSize);
std::unique_ptr<ByteSource> makeDeflateDecoder(std::unique_ptr<ByteSource> input, std::uint64_t unpackSize);
std::unique_ptr<ByteSource> makeBcjX86Decoder(std::unique_ptr<ByteSource> input, std::uint64_t unpackSize);
std::unique_ptr<ByteSource> makeDeltaDecoder(const std::vector<std::uint8_t>& props, std::unique_ptr<ByteSource> input,
                                             std::uint64_t unpackSize);
// `password`: UTF-16 code units, written little-endian into the key derivation.
std::unique_ptr<ByteSource> makeAesDecoder(const std::vector<std::uint8_t>& props, std::unique_ptr<ByteSource> input,
                                           std::uint64_t unpackSize, const std::u16string& password);

// The LZMA2 dictionary size coded in its one property byte (0..40); throws Corrupt above 40.
std::uint32_t lzma2DictionarySize(std::uint8_t prop);

}  // namespace qs::archive::codec
