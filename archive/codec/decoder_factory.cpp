#include "archive/codec/decoder_factory.h"

#include <cstdio>

#include "archive/archive_error.h"
#include "archive/codec/decoders.h"

namespace qs::archive {

bool isSupportedMethod(std::uint64_t methodId) {
    switch (methodId) {
        case method::kCopy:
        case method::kDelta:
        case method::kBcjX86:
        case method::kBcjX86New:
        case method::kLzma:
        case method::kLzma2:
        case method::kDeflate:
        case method::kAes256Sha256:
            return true;
        default:
            return false;
    }
}

std::string methodName(std::uint64_t methodId) {
    switch (methodId) {
        case method::kCopy: return "Copy";
        case method::kDelta: return "Delta";
        case method::kBcjX86:
        case method::kBcjX86New: return "BCJ";
        case method::kLzma: return "LZMA";
        case method::kLzma2: return "LZMA2";
        case method::kAes256Sha256: return "7zAES";
        case method::kDeflate: return "Deflate";
        case 0x040109: return "Deflate64";
        case 0x040202: return "BZip2";
        case 0x030401: return "PPMD";
        case 0x0303011B: return "BCJ2";
        default: {
            char text[32];
            std::snprintf(text, sizeof text, "method 0x%llX", static_cast<unsigned long long>(methodId));
            return text;
        }
    }
}

std::unique_ptr<ByteSource> makeDecoder(std::uint64_t methodId, const std::vector<std::uint8_t>& props,
                                        std::unique_ptr<ByteSource> input, std::uint64_t unpackSize,
                                        const PasswordProvider& password) {
    switch (methodId) {
        case method::kCopy:
            return codec::makeCopyDecoder(std::move(input), unpackSize);
        case method::kDelta:
            return codec::makeDeltaDecoder(props, std::move(input), unpackSize);
        case method::kBcjX86:
        case method::kBcjX86New:
            return codec::makeBcjX86Decoder(std::move(input), unpackSize);
        case method::kLzma:
            return codec::makeLzmaDecoder(props, std::move(input), unpackSize);
        case method::kLzma2:
            return codec::makeLzma2Decoder(props, std::move(input), unpackSize);
        case method::kDeflate:
            return codec::makeDeflateDecoder(std::move(input), unpackSize);
        case method::kAes256Sha256: {
            std::optional<std::u16string> pw;
            if (password) pw = password();
            if (!pw) throw ArchiveError(ArchiveErrorKind::WrongPassword, "the data is encrypted and no password was given");
            return codec::makeAesDecoder(props, std::move(input), unpackSize, *pw);
        }
        default:
            throw ArchiveError(ArchiveErrorKind::Unsupported, "unsupported compression method: " + methodName(methodId));
    }
}

}  // namespace qs::archive
