// LZMA and LZMA2 decoders as ByteSources over LzmaCore.
#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/codec/decoders.h"
#include "archive/codec/lzma_core.h"
#include "archive/codec/stream_util.h"

namespace qs::archive::codec {
namespace {

// Decoding runs ahead of the caller in steps of at least this much, so small reads do not
// pay for entering the decode loop each time.
constexpr std::size_t kDecodeStep = 1u << 18;
constexpr std::size_t kMinDictionary = 4096;
constexpr std::size_t kInputBuffer = 1u << 16;

std::size_t dictionaryCapacity(std::uint64_t dictSize, std::uint64_t unpackSize) {
    std::uint64_t cap = std::max<std::uint64_t>(std::min(dictSize, unpackSize), kMinDictionary);
    return std::size_t(std::min<std::uint64_t>(cap, std::numeric_limits<std::size_t>::max()));
}

// Packed input pulled from a ByteSource in large blocks.
class StreamInput final : public LzmaInput {
public:
    explicit StreamInput(ByteSource& source) : source_(source), buf_(kInputBuffer + kMaxSymbolBytes) {
        setWindow(buf_.data(), buf_.data(), false);
    }

    void refill() override {
        if (final) return;  // the caller sees ptr >= checkAt and reports the truncation
        std::size_t left = std::size_t(end - ptr);
        std::memmove(buf_.data(), ptr, left);
        std::size_t filled = left;
        bool eof = false;
        do {
            std::size_t n = source_.read(buf_.data() + filled, kInputBuffer - filled);
            if (n == 0) {
                eof = true;
                break;
            }
            filled += n;
        } while (filled < kMaxSymbolBytes);
        if (eof) std::memset(buf_.data() + filled, 0, kMaxSymbolBytes);
        setWindow(buf_.data(), buf_.data() + filled, eof);
    }

private:
    ByteSource& source_;
    std::vector<std::uint8_t> buf_;
};

// One LZMA2 chunk's packed bytes, read whole (at most 64 KiB) and zero padded.
class ChunkInput final : public LzmaInput {
public:
    ChunkInput() : buf_((1u << 16) + kMaxSymbolBytes) {}
    void load(ByteSource& source, std::size_t size) {
        readExact(source, buf_.data(), size, "LZMA2 chunk");
        std::memset(buf_.data() + size, 0, kMaxSymbolBytes);
        setWindow(buf_.data(), buf_.data() + size, true);
    }
    void refill() override {}
    bool consumed() const { return ptr == end; }

private:
    std::vector<std::uint8_t> buf_;
};

// Shared output side: decoded bytes wait in the core's dictionary until read.
class DictionaryOutput {
protected:
    explicit DictionaryOutput(std::size_t capacity) : core_(capacity) {}

    std::size_t deliver(std::uint8_t* dst, std::size_t size) {
        std::size_t n = std::min(size, core_.dictPos() - readPos_);
        std::memcpy(dst, core_.buffer() + readPos_, n);
        readPos_ += n;
        return n;
    }
    bool hasUndelivered() const { return readPos_ != core_.dictPos(); }
    // Room for at least one byte at dictPos(); returns the largest decode limit for `want`.
    std::size_t prepareLimit(std::uint64_t want) {
        if (core_.dictPos() == core_.bufferSize()) {
            core_.makeRoom();
            readPos_ = core_.dictPos();
        }
        std::uint64_t room = core_.bufferSize() - core_.dictPos();
        return core_.dictPos() + std::size_t(std::min(room, want));
    }

    LzmaCore core_;
    std::size_t readPos_ = 0;
};

class LzmaDecoder final : public ByteSource, DictionaryOutput {
public:
    LzmaDecoder(const LzmaProperties& p, std::unique_ptr<ByteSource> input, std::uint64_t unpackSize)
        : DictionaryOutput(dictionaryCapacity(p.dictSize, unpackSize)),
          source_(std::move(input)),
          input_(*source_),
          remaining_(unpackSize),
          sizeKnown_(unpackSize != kUnknownSize) {
        core_.setLiteralProperties(p.lc, p.lp, p.pb);
        core_.resetState();
    }

    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        if (size == 0) return 0;
        if (!hasUndelivered()) {
            if (finished_) return 0;
            decodeStep(size);
        }
        return deliver(dst, size);
    }

private:
    void decodeStep(std::size_t want) {
        if (!started_) {
            started_ = true;
            if (sizeKnown_ && remaining_ == 0) {
                finished_ = true;
                return;
            }
            core_.initRangeCoder(input_);
        }
        std::size_t limit = prepareLimit(std::min<std::uint64_t>(remaining_, std::max(want, kDecodeStep)));
        std::size_t start = core_.dictPos();
        LzmaCore::Stop stop = core_.decode(input_, limit, true);
        if (sizeKnown_) remaining_ -= core_.dictPos() - start;
        if (stop == LzmaCore::Stop::EndMarker) {
            if (sizeKnown_ && remaining_ != 0) throwCorrupt("LZMA: end marker before the expected size");
            if (!core_.rangeCoderFinished()) throwCorrupt("LZMA: corrupt end of stream");
            finished_ = true;
        } else if (sizeKnown_ && remaining_ == 0) {
            if (core_.hasPendingMatch()) throwCorrupt("LZMA: match runs past the expected size");
            // Without an end marker the coder is flushed exactly here; otherwise the marker follows.
            if (!core_.rangeCoderFinished()) {
                core_.decodeEndMarker(input_);
                if (!core_.rangeCoderFinished()) throwCorrupt("LZMA: corrupt end of stream");
            }
            finished_ = true;
        }
    }

    std::unique_ptr<ByteSource> source_;
    StreamInput input_;
    std::uint64_t remaining_;
    bool sizeKnown_;
    bool started_ = false;
    bool finished_ = false;
};

class Lzma2Decoder final : public ByteSource, DictionaryOutput {
public:
    Lzma2Decoder(std::uint32_t dictSize, std::unique_ptr<ByteSource> input, std::uint64_t unpackSize)
        : DictionaryOutput(dictionaryCapacity(dictSize, unpackSize)),
          source_(std::move(input)),
          remaining_(unpackSize),
          sizeKnown_(unpackSize != kUnknownSize) {}

    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        if (size == 0) return 0;
        while (!hasUndelivered()) {
            if (finished_) return 0;
            step(size);
        }
        return deliver(dst, size);
    }

private:
    enum class Chunk { None, Lzma, Stored };

    void step(std::size_t want) {
        if (chunkLeft_ == 0) {
            finishChunk();
            if (sizeKnown_ && remaining_ == 0) {
                finished_ = true;
                return;
            }
            startChunk();
            return;
        }
        std::size_t limit = prepareLimit(std::min<std::uint64_t>(chunkLeft_, std::max(want, kDecodeStep)));
        std::size_t start = core_.dictPos();
        if (chunk_ == Chunk::Lzma) {
            core_.decode(input_, limit, false);
        } else {
            readExact(*source_, core_.appendPointer(), limit - start, "LZMA2 stored chunk");
            core_.appended(limit - start);
        }
        std::size_t produced = core_.dictPos() - start;
        chunkLeft_ -= produced;
        if (sizeKnown_) remaining_ -= produced;
    }

    void finishChunk() {
        if (chunk_ == Chunk::Lzma &&
            (core_.hasPendingMatch() || !core_.rangeCoderFinished() || !input_.consumed()))
            throwCorrupt("LZMA2: chunk does not end where its sizes say");
        chunk_ = Chunk::None;
    }

    void startChunk() {
        std::uint8_t control;
        readExact(*source_, &control, 1, "LZMA2 control byte");
        if (control == 0) {
            if (sizeKnown_) throwCorrupt("LZMA2: stream ends before the expected size");
            finished_ = true;
            return;
        }
        if (control < 0x80) {
            if (control > 2) throwCorrupt("LZMA2: invalid control byte");
            if (control == 1) {
                resetDictionary();
            } else if (needDictionaryReset_) {
                throwCorrupt("LZMA2: first chunk does not reset the dictionary");
            }
            std::uint8_t h[2];
            readExact(*source_, h, 2, "LZMA2 chunk header");
            setChunkSize((std::uint32_t(h[0]) << 8 | h[1]) + 1u);
            chunk_ = Chunk::Stored;
            return;
        }
        unsigned mode = (control >> 5) & 3;
        std::uint8_t h[5];
        readExact(*source_, h, mode >= 2 ? 5 : 4, "LZMA2 chunk header");
        std::uint32_t unpacked = ((std::uint32_t(control & 0x1F) << 16) | std::uint32_t(h[0]) << 8 | h[1]) + 1u;
        std::uint32_t packed = (std::uint32_t(h[2]) << 8 | h[3]) + 1u;
        if (mode == 3) {
            resetDictionary();
        } else if (needDictionaryReset_) {
            throwCorrupt("LZMA2: first chunk does not reset the dictionary");
        }
        if (mode >= 2) {
            unsigned d = h[4];
            if (d >= 9 * 5 * 5) throwCorrupt("LZMA2: invalid lc/lp/pb byte");
            unsigned lc = d % 9, lp = (d / 9) % 5, pb = d / 45;
            if (lc + lp > 4) throwCorrupt("LZMA2: lc + lp exceeds 4");
            core_.setLiteralProperties(lc, lp, pb);
            needProperties_ = false;
        } else if (needProperties_) {
            throwCorrupt("LZMA2: chunk lacks the properties it needs");
        }
        if (mode >= 1) core_.resetState();
        setChunkSize(unpacked);
        input_.load(*source_, packed);
        core_.initRangeCoder(input_);
        chunk_ = Chunk::Lzma;
    }

    void resetDictionary() {
        core_.resetDictionary();
        needDictionaryReset_ = false;
        needProperties_ = true;
    }

    void setChunkSize(std::uint32_t size) {
        if (sizeKnown_ && size > remaining_) throwCorrupt("LZMA2: chunk runs past the expected size");
        chunkLeft_ = size;
    }

    std::unique_ptr<ByteSource> source_;
    ChunkInput input_;
    std::uint64_t remaining_;
    bool sizeKnown_;
    bool finished_ = false;
    bool needDictionaryReset_ = true;
    bool needProperties_ = true;
    Chunk chunk_ = Chunk::None;
    std::uint64_t chunkLeft_ = 0;
};

}  // namespace

std::uint32_t lzma2DictionarySize(std::uint8_t prop) {
    if (prop > 40) throwCorrupt("LZMA2: invalid dictionary size byte");
    if (prop == 40) return 0xFFFFFFFFu;
    return (2u | (prop & 1u)) << (prop / 2 + 11);
}

std::unique_ptr<ByteSource> makeLzmaDecoder(const std::vector<std::uint8_t>& props, std::unique_ptr<ByteSource> input,
                                            std::uint64_t unpackSize) {
    LzmaProperties p = parseLzmaProperties(props.data(), props.size());
    return std::make_unique<LzmaDecoder>(p, std::move(input), unpackSize);
}

std::unique_ptr<ByteSource> makeLzma2Decoder(const std::vector<std::uint8_t>& props,
                                             std::unique_ptr<ByteSource> input, std::uint64_t unpackSize) {
    if (props.size() != 1) throwCorrupt("LZMA2: properties must be 1 byte");
    return std::make_unique<Lzma2Decoder>(lzma2DictionarySize(props[0]), std::move(input), unpackSize);
}

}  // namespace qs::archive::codec
