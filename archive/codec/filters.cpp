// Copy, Delta and BCJ x86: decoders that transform bytes without a dictionary.
#include <algorithm>
#include <cstring>

#include "archive/codec/decoders.h"
#include "archive/codec/stream_util.h"

namespace qs::archive::codec {
namespace {

// Passes the first unpackSize bytes of its input through.
class CopyDecoder : public ByteSource {
public:
    CopyDecoder(std::unique_ptr<ByteSource> input, std::uint64_t unpackSize)
        : input_(std::move(input)), remaining_(unpackSize) {}

    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        std::size_t want = std::size_t(std::min<std::uint64_t>(size, remaining_));
        if (want == 0) return 0;
        std::size_t n = input_->read(dst, want);
        if (n == 0) throwCorrupt("packed data ends before the expected size");
        remaining_ -= n;
        transform(dst, n);
        return n;
    }

protected:
    virtual void transform(std::uint8_t*, std::size_t) {}

private:
    std::unique_ptr<ByteSource> input_;
    std::uint64_t remaining_;
};

// Each byte was stored as the difference to the byte `distance` positions before it.
class DeltaDecoder final : public CopyDecoder {
public:
    DeltaDecoder(unsigned distance, std::unique_ptr<ByteSource> input, std::uint64_t unpackSize)
        : CopyDecoder(std::move(input), unpackSize), distance_(distance) {}

private:
    void transform(std::uint8_t* data, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) {
            std::uint8_t b = std::uint8_t(data[i] + history_[std::uint8_t(pos_ - distance_)]);
            data[i] = b;
            history_[pos_++] = b;  // pos_ is 8 bits wide: the history is a 256-byte ring
        }
    }

    unsigned distance_;
    std::uint8_t history_[256] = {};
    std::uint8_t pos_ = 0;
};

// The x86 branch converter: the encoder turned the relative targets of CALL (E8) and JMP (E9)
// into absolute ones so that repeated calls to one function compress well; this undoes it.
// Which E8/E9 bytes were converted depends on the opcode bytes seen in the four bytes before
// them (`prevMask_`), exactly as the encoder decided.
class BcjX86Decoder final : public ByteSource {
public:
    BcjX86Decoder(std::unique_ptr<ByteSource> input, std::uint64_t unpackSize)
        : input_(std::move(input)), remaining_(unpackSize), buf_(kBufferSize) {}

    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        if (remaining_ == 0 || size == 0) return 0;
        if (start_ == ready_) refill();
        std::size_t n = std::min<std::size_t>(std::min<std::uint64_t>(size, remaining_), ready_ - start_);
        if (n == 0) throwCorrupt("packed data ends before the expected size");
        std::memcpy(dst, buf_.data() + start_, n);
        start_ += n;
        remaining_ -= n;
        return n;
    }

private:
    static constexpr std::size_t kBufferSize = 1u << 16;

    static bool isAddressHighByte(std::uint8_t b) { return b == 0x00 || b == 0xFF; }

    void refill() {
        // Bytes not yet converted (an instruction that may straddle the buffer end) move to front.
        streamPos_ += std::uint32_t(ready_);
        std::memmove(buf_.data(), buf_.data() + ready_, filled_ - ready_);
        filled_ -= ready_;
        start_ = ready_ = 0;
        while (!inputEnded_ && filled_ < kBufferSize) {
            std::size_t n = input_->read(buf_.data() + filled_, kBufferSize - filled_);
            if (n == 0) inputEnded_ = true;
            filled_ += n;
            if (filled_ >= 5 && n != 0) break;
        }
        ready_ = convert(buf_.data(), filled_);
        if (inputEnded_) ready_ = filled_;  // the last four bytes cannot hold a whole instruction
    }

    // Converts buf[0..size) as far as whole instructions allow; returns the converted length.
    std::size_t convert(std::uint8_t* buf, std::size_t size) {
        static constexpr bool kMaskAllowed[8] = {true, true, true, false, true, false, false, false};
        static constexpr unsigned kMaskToByte[8] = {0, 1, 2, 2, 3, 3, 3, 3};
        if (size < 5) return 0;
        std::uint32_t prevMask = prevMask_;
        std::uint32_t prevPos = prevPos_;
        if (streamPos_ - prevPos > 5) prevPos = streamPos_ - 5;
        std::size_t i = 0;
        for (; i <= size - 5; ++i) {
            if ((buf[i] & 0xFE) != 0xE8) continue;
            std::uint32_t here = streamPos_ + std::uint32_t(i);
            std::uint32_t gap = here - prevPos;
            prevPos = here;
            if (gap > 5) {
                prevMask = 0;
            } else {
                for (std::uint32_t k = 0; k < gap; ++k) prevMask = (prevMask & 0x77) << 1;
            }
            std::uint8_t high = buf[i + 4];
            if (!isAddressHighByte(high) || !kMaskAllowed[(prevMask >> 1) & 7] || (prevMask >> 1) >= 0x10) {
                prevMask |= 1;
                if (isAddressHighByte(high)) prevMask |= 0x10;
                continue;
            }
            std::uint32_t src = std::uint32_t(high) << 24 | std::uint32_t(buf[i + 3]) << 16 |
                                std::uint32_t(buf[i + 2]) << 8 | buf[i + 1];
            std::uint32_t dest;
            for (;;) {
                dest = src - (here + 5);
                if (prevMask == 0) break;
                unsigned byteIndex = kMaskToByte[prevMask >> 1];
                if (!isAddressHighByte(std::uint8_t(dest >> (24 - byteIndex * 8)))) break;
                src = dest ^ ((1u << (32 - byteIndex * 8)) - 1);
            }
            buf[i + 4] = std::uint8_t(~(((dest >> 24) & 1) - 1));
            buf[i + 3] = std::uint8_t(dest >> 16);
            buf[i + 2] = std::uint8_t(dest >> 8);
            buf[i + 1] = std::uint8_t(dest);
            i += 4;  // the loop adds the fifth
            prevMask = 0;
        }
        prevMask_ = prevMask;
        prevPos_ = prevPos;
        return i;
    }

    std::unique_ptr<ByteSource> input_;
    std::uint64_t remaining_;
    std::vector<std::uint8_t> buf_;
    std::size_t start_ = 0, ready_ = 0, filled_ = 0;
    bool inputEnded_ = false;
    std::uint32_t streamPos_ = 0;  // stream offset of buf_[0], modulo 2^32 as the filter defines it
    std::uint32_t prevMask_ = 0;
    std::uint32_t prevPos_ = std::uint32_t(0) - 5;
};

}  // namespace

std::unique_ptr<ByteSource> makeCopyDecoder(std::unique_ptr<ByteSource> input, std::uint64_t unpackSize) {
    return std::make_unique<CopyDecoder>(std::move(input), unpackSize);
}

std::unique_ptr<ByteSource> makeDeltaDecoder(const std::vector<std::uint8_t>& props, std::unique_ptr<ByteSource> input,
                                             std::uint64_t unpackSize) {
    if (props.size() != 1) throwCorrupt("Delta: properties must be 1 byte");
    return std::make_unique<DeltaDecoder>(props[0] + 1u, std::move(input), unpackSize);
}

std::unique_ptr<ByteSource> makeBcjX86Decoder(std::unique_ptr<ByteSource> input, std::uint64_t unpackSize) {
    return std::make_unique<BcjX86Decoder>(std::move(input), unpackSize);
}

}  // namespace qs::archive::codec
