// Deflate (RFC 1951), the 7z method 040108: stored, fixed-Huffman and dynamic-Huffman blocks
// over a 32 KiB window.
#include <algorithm>
#include <cstring>

#include "archive/codec/decoders.h"
#include "archive/codec/stream_util.h"

namespace qs::archive::codec {
namespace {

constexpr unsigned kMaxBits = 15;
constexpr unsigned kFastBits = 10;  // codes up to this long decode with one table lookup
constexpr std::size_t kWindow = 1u << 16;  // ring buffer; matches reach back at most 32 KiB
constexpr std::size_t kInputBuffer = 1u << 16;

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                         193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// A canonical Huffman code: how many codes of each length, and the symbols in code order.
struct Huffman {
    std::uint16_t count[kMaxBits + 1];
    std::uint16_t symbol[288];
    // Indexed by the next kFastBits input bits: symbol << 4 | code length, 0 for longer codes.
    std::uint16_t fast[1u << kFastBits];
    unsigned numCodes;

    // Throws Corrupt for an over-subscribed set, or an incomplete one with more than one code.
    void build(const std::uint8_t* lengths, unsigned n) {
        std::fill(std::begin(count), std::end(count), 0);
        for (unsigned i = 0; i < n; ++i) ++count[lengths[i]];
        count[0] = 0;
        numCodes = n - std::count(lengths, lengths + n, 0);
        int left = 1;
        for (unsigned len = 1; len <= kMaxBits; ++len) {
            left = (left << 1) - count[len];
            if (left < 0) throwCorrupt("Deflate: over-subscribed Huffman code");
        }
        if (left > 0 && numCodes > 1) throwCorrupt("Deflate: incomplete Huffman code");
        std::uint16_t offset[kMaxBits + 2] = {0, 0};
        for (unsigned len = 1; len <= kMaxBits; ++len) offset[len + 1] = std::uint16_t(offset[len] + count[len]);
        for (unsigned i = 0; i < n; ++i)
            if (lengths[i]) symbol[offset[lengths[i]]++] = std::uint16_t(i);

        // Codes are sent most significant bit first into a stream read from the low bit up,
        // so the table is indexed by the bit-reversed code.
        std::fill(std::begin(fast), std::end(fast), 0);
        unsigned next[kMaxBits + 2] = {};
        for (unsigned len = 1, code = 0; len <= kMaxBits; ++len) {
            code = (code + count[len - 1]) << 1;
            next[len] = code;
        }
        for (unsigned i = 0; i < n; ++i) {
            unsigned len = lengths[i];
            if (len == 0) continue;
            unsigned code = next[len]++;
            if (len > kFastBits) continue;
            unsigned reversed = 0;
            for (unsigned b = 0; b < len; ++b) reversed |= ((code >> b) & 1u) << (len - 1 - b);
            for (unsigned fill = reversed; fill < (1u << kFastBits); fill += 1u << len)
                fast[fill] = std::uint16_t(i << 4 | len);
        }
    }
};

class DeflateDecoder final : public ByteSource {
public:
    DeflateDecoder(std::unique_ptr<ByteSource> input, std::uint64_t unpackSize)
        : input_(std::move(input)), in_(kInputBuffer), window_(kWindow), remaining_(unpackSize) {}

    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        if (size == 0) return 0;
        if (readPos_ == pos_) {
            if (remaining_ == 0) return 0;
            if (pos_ == kWindow) pos_ = readPos_ = 0;
            std::size_t limit = pos_ + std::size_t(std::min<std::uint64_t>(kWindow - pos_, remaining_));
            std::size_t start = pos_;
            decode(limit, start);
            remaining_ -= pos_ - start;
            if (remaining_ == 0) finish();
        }
        std::size_t n = std::min(size, pos_ - readPos_);
        std::memcpy(dst, window_.data() + readPos_, n);
        readPos_ += n;
        return n;
    }

private:
    enum class Mode { Header, Stored, Codes };

    // Tops the bit buffer up from the input; at the input's end it simply stays short.
    void fill() {
        while (bitCount_ <= 56) {
            if (inPos_ == inEnd_) {
                if (inputEnded_) return;
                inEnd_ = input_->read(in_.data(), in_.size());
                inPos_ = 0;
                if (inEnd_ == 0) {
                    inputEnded_ = true;
                    return;
                }
            }
            bitBuf_ |= std::uint64_t(in_[inPos_++]) << bitCount_;
            bitCount_ += 8;
        }
    }
    void consume(unsigned n) {
        bitBuf_ >>= n;
        bitCount_ -= n;
    }
    unsigned bits(unsigned n) {
        if (bitCount_ < n) {
            fill();
            if (bitCount_ < n) throwCorrupt("Deflate: unexpected end of input");
        }
        unsigned v = unsigned(bitBuf_ & ((1u << n) - 1));
        consume(n);
        return v;
    }
    unsigned decodeSymbol(const Huffman& h) {
        if (bitCount_ < kMaxBits) fill();
        unsigned entry = h.fast[bitBuf_ & ((1u << kFastBits) - 1)];
        if (entry != 0 && (entry & 15) <= bitCount_) {
            consume(entry & 15);
            return entry >> 4;
        }
        // A longer code, or the input is running out: one bit at a time.
        int code = 0, first = 0, index = 0;
        for (unsigned len = 1; len <= kMaxBits; ++len) {
            code |= int(bits(1));
            int count = h.count[len];
            if (code - first < count) return h.symbol[index + (code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        throwCorrupt("Deflate: invalid Huffman code");
    }

    void readBlockHeader() {
        if (lastBlock_) throwCorrupt("Deflate: data ends before the expected size");
        lastBlock_ = bits(1) != 0;
        unsigned type = bits(2);
        if (type == 0) {
            consume(bitCount_ % 8);  // stored blocks start at a byte boundary
            unsigned len = bits(16), nlen = bits(16);
            if (len != (~nlen & 0xFFFF)) throwCorrupt("Deflate: stored block length check failed");
            storedLeft_ = len;
            mode_ = Mode::Stored;
        } else if (type == 1) {
            std::uint8_t lengths[288 + 30];
            std::fill(lengths, lengths + 144, 8);
            std::fill(lengths + 144, lengths + 256, 9);
            std::fill(lengths + 256, lengths + 280, 7);
            std::fill(lengths + 280, lengths + 288, 8);
            std::fill(lengths + 288, lengths + 318, 5);
            literals_.build(lengths, 288);
            distances_.build(lengths + 288, 30);
            mode_ = Mode::Codes;
        } else if (type == 2) {
            readDynamicCodes();
            mode_ = Mode::Codes;
        } else {
            throwCorrupt("Deflate: invalid block type");
        }
    }

    void readDynamicCodes() {
        unsigned numLiterals = bits(5) + 257, numDistances = bits(5) + 1, numLengthCodes = bits(4) + 4;
        if (numLiterals > 286 || numDistances > 30) throwCorrupt("Deflate: too many codes");
        std::uint8_t lengths[320] = {};
        for (unsigned i = 0; i < numLengthCodes; ++i) lengths[kCodeLengthOrder[i]] = std::uint8_t(bits(3));
        Huffman lengthCode;
        lengthCode.build(lengths, 19);
        std::fill(lengths, lengths + 19, 0);
        for (unsigned i = 0; i < numLiterals + numDistances;) {
            unsigned sym = decodeSymbol(lengthCode);
            if (sym < 16) {
                lengths[i++] = std::uint8_t(sym);
                continue;
            }
            unsigned value = 0, repeat;
            if (sym == 16) {
                if (i == 0) throwCorrupt("Deflate: repeat with no previous length");
                value = lengths[i - 1];
                repeat = 3 + bits(2);
            } else if (sym == 17) {
                repeat = 3 + bits(3);
            } else {
                repeat = 11 + bits(7);
            }
            if (i + repeat > numLiterals + numDistances) throwCorrupt("Deflate: code lengths overrun");
            while (repeat--) lengths[i++] = std::uint8_t(value);
        }
        if (lengths[256] == 0) throwCorrupt("Deflate: no end-of-block code");
        literals_.build(lengths, numLiterals);
        distances_.build(lengths + numLiterals, numDistances);
    }

    // After the last expected byte the stream must end: the current block's end code, and
    // only empty blocks up to the final one. Catches truncated and garbled streams.
    void finish() {
        for (;;) {
            if (mode_ == Mode::Codes) {
                if (decodeSymbol(literals_) != 256) throwCorrupt("Deflate: data continues past the expected size");
                mode_ = Mode::Header;
            } else if (mode_ == Mode::Stored) {
                if (storedLeft_ != 0) throwCorrupt("Deflate: data continues past the expected size");
                mode_ = Mode::Header;
            } else if (lastBlock_) {
                return;
            } else {
                readBlockHeader();
            }
        }
    }

    void copyMatch(std::size_t limit) {
        std::uint8_t* w = window_.data();
        std::size_t src = (pos_ + kWindow - matchDist_) % kWindow;
        while (matchLen_ && pos_ < limit) {
            w[pos_++] = w[src];
            src = (src + 1) % kWindow;
            --matchLen_;
        }
    }

    // Decodes into the window up to `limit`; `start` is where this read's output began.
    void decode(std::size_t limit, std::size_t start) {
        if (matchLen_) copyMatch(limit);
        while (pos_ < limit) {
            switch (mode_) {
                case Mode::Header:
                    readBlockHeader();
                    break;
                case Mode::Stored: {
                    if (storedLeft_ == 0) {
                        mode_ = Mode::Header;
                        break;
                    }
                    std::size_t n = std::min<std::size_t>(storedLeft_, limit - pos_);
                    storedLeft_ -= unsigned(n);
                    history_ += n;
                    for (; n && bitCount_ >= 8; --n) window_[pos_++] = std::uint8_t(bits(8));
                    while (n) {  // the rest straight from the input buffer
                        if (inPos_ == inEnd_) {
                            inEnd_ = inputEnded_ ? 0 : input_->read(in_.data(), in_.size());
                            inPos_ = 0;
                            if (inEnd_ == 0) throwCorrupt("Deflate: unexpected end of input");
                        }
                        std::size_t k = std::min(n, inEnd_ - inPos_);
                        std::memcpy(window_.data() + pos_, in_.data() + inPos_, k);
                        pos_ += k;
                        inPos_ += k;
                        n -= k;
                    }
                    break;
                }
                case Mode::Codes: {
                    unsigned sym = decodeSymbol(literals_);
                    if (sym < 256) {
                        window_[pos_++] = std::uint8_t(sym);
                        ++history_;
                        break;
                    }
                    if (sym == 256) {
                        mode_ = Mode::Header;
                        break;
                    }
                    sym -= 257;
                    if (sym >= 29) throwCorrupt("Deflate: invalid length code");
                    unsigned len = kLengthBase[sym] + bits(kLengthExtra[sym]);
                    unsigned dsym = decodeSymbol(distances_);
                    if (dsym >= 30) throwCorrupt("Deflate: invalid distance code");
                    unsigned dist = kDistBase[dsym] + bits(kDistExtra[dsym]);
                    if (dist > history_) throwCorrupt("Deflate: distance beyond the data");
                    if (len > remaining_ - (pos_ - start)) throwCorrupt("Deflate: match runs past the expected size");
                    matchLen_ = len;
                    matchDist_ = dist;
                    history_ += len;
                    copyMatch(limit);
                    break;
                }
            }
        }
    }

    std::unique_ptr<ByteSource> input_;
    std::vector<std::uint8_t> in_;
    std::size_t inPos_ = 0, inEnd_ = 0;
    bool inputEnded_ = false;
    std::uint64_t bitBuf_ = 0;
    unsigned bitCount_ = 0;

    std::vector<std::uint8_t> window_;
    std::size_t pos_ = 0, readPos_ = 0;
    std::uint64_t remaining_;
    std::uint64_t history_ = 0;  // bytes written so far (distances may not reach before them)

    Mode mode_ = Mode::Header;
    bool lastBlock_ = false;
    unsigned storedLeft_ = 0;
    unsigned matchLen_ = 0, matchDist_ = 0;
    Huffman literals_{}, distances_{};
};

}  // namespace

std::unique_ptr<ByteSource> makeDeflateDecoder(std::unique_ptr<ByteSource> input, std::uint64_t unpackSize) {
    return std::make_unique<DeflateDecoder>(std::move(input), unpackSize);
}

}  // namespace qs::archive::codec
