#include "archive/codec/lzma_core.h"

#include <algorithm>
#include <cstring>

#include "archive/codec/stream_util.h"

#if defined(__GNUC__)
#define QS_INLINE inline __attribute__((always_inline))
#define QS_LIKELY(x) __builtin_expect(!!(x), 1)
#define QS_UNLIKELY(x) __builtin_expect(!!(x), 0)
#else
#define QS_INLINE inline
#define QS_LIKELY(x) (x)
#define QS_UNLIKELY(x) (x)
#endif

namespace qs::archive::codec {
namespace {

constexpr unsigned kNumStates = 12;
constexpr std::size_t kSlack = 8;  // spare bytes after the dictionary for word-wise match copies
constexpr unsigned kMatchMinLen = 2;
constexpr std::uint32_t kTopValue = 1u << 24;
constexpr unsigned kProbBits = 11;
constexpr unsigned kProbInit = 1u << (kProbBits - 1);
constexpr unsigned kMoveBits = 5;
constexpr unsigned kEndPosModelIndex = 14;
constexpr unsigned kNumAlignBits = 4;

// Length coder layout: choice, choice2, 16 low trees of 8, 16 mid trees of 8, one high tree.
constexpr unsigned kLenChoice = 0;
constexpr unsigned kLenChoice2 = 1;
constexpr unsigned kLenLow = 2;
constexpr unsigned kLenMid = kLenLow + 16 * 8;
constexpr unsigned kLenHigh = kLenMid + 16 * 8;
constexpr unsigned kLenCoderSize = kLenHigh + 256;

// Probability array layout.
constexpr unsigned kIsMatch = 0;
constexpr unsigned kIsRep = kIsMatch + (kNumStates << 4);
constexpr unsigned kIsRepG0 = kIsRep + kNumStates;
constexpr unsigned kIsRepG1 = kIsRepG0 + kNumStates;
constexpr unsigned kIsRepG2 = kIsRepG1 + kNumStates;
constexpr unsigned kIsRep0Long = kIsRepG2 + kNumStates;
constexpr unsigned kPosSlot = kIsRep0Long + (kNumStates << 4);
constexpr unsigned kSpecPos = kPosSlot + (4 << 6);
constexpr unsigned kAlign = kSpecPos + 128;
constexpr unsigned kLenCoder = kAlign + (1 << kNumAlignBits);
constexpr unsigned kRepLenCoder = kLenCoder + kLenCoderSize;
constexpr unsigned kLiteral = kRepLenCoder + kLenCoderSize;

constexpr std::uint8_t kLiteralNextState[kNumStates] = {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 4, 5};

// The range decoder's registers, kept in locals by the decode loop.
struct Rc {
    std::uint32_t range;
    std::uint32_t code;
    const std::uint8_t* in;

    QS_INLINE void normalize() {
        if (range < kTopValue) {
            range <<= 8;
            code = (code << 8) | *in++;
        }
    }
    QS_INLINE unsigned bit(std::uint16_t& prob) {
        std::uint32_t p = prob;
        std::uint32_t bound = (range >> kProbBits) * p;
        if (code < bound) {
            range = bound;
            prob = std::uint16_t(p + (((1u << kProbBits) - p) >> kMoveBits));
            normalize();
            return 0;
        }
        range -= bound;
        code -= bound;
        prob = std::uint16_t(p - (p >> kMoveBits));
        normalize();
        return 1;
    }
    // The same without branches, for literal bits: they are hard to predict, and a
    // mispredicted branch costs more than computing both outcomes.
    QS_INLINE unsigned bitFlat(std::uint16_t& prob) {
        std::uint32_t p = prob;
        std::uint32_t bound = (range >> kProbBits) * p;
        std::uint32_t zero = 0u - std::uint32_t(code < bound);  // all ones when the bit is 0
        range = (bound & zero) | ((range - bound) & ~zero);
        code -= bound & ~zero;
        std::uint32_t p0 = p + (((1u << kProbBits) - p) >> kMoveBits);
        std::uint32_t p1 = p - (p >> kMoveBits);
        prob = std::uint16_t((p0 & zero) | (p1 & ~zero));
        normalize();
        return 1 + zero;  // 0 or 1
    }
    // Bit tree with the most significant bit first; probs[1 .. 2^numBits-1].
    QS_INLINE unsigned tree(std::uint16_t* probs, unsigned numBits) {
        unsigned m = 1;
        for (unsigned i = 0; i < numBits; ++i) m = (m << 1) | bit(probs[m]);
        return m - (1u << numBits);
    }
    // Bit tree with the least significant bit first.
    QS_INLINE unsigned reverseTree(std::uint16_t* probs, unsigned numBits) {
        unsigned m = 1, symbol = 0;
        for (unsigned i = 0; i < numBits; ++i) {
            unsigned b = bit(probs[m]);
            m = (m << 1) | b;
            symbol |= b << i;
        }
        return symbol;
    }
    // Bits with fixed probability one half.
    QS_INLINE std::uint32_t direct(unsigned numBits) {
        std::uint32_t result = 0;
        do {
            range >>= 1;
            code -= range;
            std::uint32_t mask = 0u - (code >> 31);  // all ones when the bit is 0
            code += range & mask;
            result = (result << 1) + (mask + 1);
            normalize();
        } while (--numBits);
        return result;
    }
    QS_INLINE unsigned length(std::uint16_t* coder, unsigned posState) {
        if (!bit(coder[kLenChoice])) return tree(coder + kLenLow + (posState << 3), 3);
        if (!bit(coder[kLenChoice2])) return 8 + tree(coder + kLenMid + (posState << 3), 3);
        return 16 + tree(coder + kLenHigh, 8);
    }
    // `len` is the match length minus kMatchMinLen. Returns the distance minus one.
    QS_INLINE std::uint32_t distance(std::uint16_t* probs, unsigned len) {
        unsigned lenState = len < 3 ? len : 3;
        unsigned slot = tree(probs + kPosSlot + (lenState << 6), 6);
        if (slot < 4) return slot;
        unsigned numDirect = (slot >> 1) - 1;
        std::uint32_t dist = (2u | (slot & 1u)) << numDirect;
        if (slot < kEndPosModelIndex) return dist + reverseTree(probs + kSpecPos + dist - slot, numDirect);
        dist += direct(numDirect - kNumAlignBits) << kNumAlignBits;
        return dist + reverseTree(probs + kAlign, kNumAlignBits);
    }
};

}  // namespace

LzmaProperties parseLzmaProperties(const std::uint8_t* props, std::size_t size) {
    if (size != 5) throwCorrupt("LZMA: properties must be 5 bytes");
    unsigned d = props[0];
    if (d >= 9 * 5 * 5) throwCorrupt("LZMA: invalid lc/lp/pb byte");
    LzmaProperties p;
    p.lc = d % 9;
    d /= 9;
    p.lp = d % 5;
    p.pb = d / 5;
    p.dictSize = std::uint32_t(props[1]) | std::uint32_t(props[2]) << 8 | std::uint32_t(props[3]) << 16 |
                 std::uint32_t(props[4]) << 24;
    return p;
}

LzmaCore::LzmaCore(std::size_t dictCapacity) : capacity_(dictCapacity ? dictCapacity : 1) {
    bufSize_ = std::min<std::size_t>(capacity_, 1u << 16);
    buf_.resize(bufSize_ + kSlack);
}

void LzmaCore::setLiteralProperties(unsigned lc, unsigned lp, unsigned pb) {
    lc_ = lc;
    lp_ = lp;
    pb_ = pb;
    probs_.resize(kLiteral + (0x300u << (lc + lp)));
}

void LzmaCore::resetState() {
    std::fill(probs_.begin(), probs_.end(), std::uint16_t(kProbInit));
    state_ = 0;
    rep0_ = rep1_ = rep2_ = rep3_ = 0;
    pendingLen_ = 0;
}

void LzmaCore::initRangeCoder(LzmaInput& in) {
    if (in.ptr >= in.checkAt) in.refill();
    if (in.end - in.ptr < 5) throwCorrupt("LZMA: stream too short");
    if (in.ptr[0] != 0) throwCorrupt("LZMA: invalid range coder start byte");
    code_ = std::uint32_t(in.ptr[1]) << 24 | std::uint32_t(in.ptr[2]) << 16 | std::uint32_t(in.ptr[3]) << 8 | in.ptr[4];
    range_ = 0xFFFFFFFFu;
    in.ptr += 5;
    if (code_ == range_) throwCorrupt("LZMA: invalid range coder start");
}

void LzmaCore::makeRoom() {
    if (pos_ < bufSize_) return;
    if (bufSize_ < capacity_) {
        std::size_t grown = bufSize_ > capacity_ / 2 ? capacity_ : bufSize_ * 2;
        buf_.resize(grown + kSlack);
        bufSize_ = grown;
    } else {
        pos_ = 0;
        wrapped_ = true;
    }
}

void LzmaCore::appended(std::size_t n) {
    pos_ += n;
    historyLen_ += n;
}

LzmaCore::Stop LzmaCore::decode(LzmaInput& input, std::size_t limit, bool markerAllowed) {
    std::uint8_t* const dict = buf_.data();
    const std::size_t bufSize = bufSize_;
    std::size_t pos = pos_;
    std::uint64_t history = historyLen_;
    const std::uint64_t capacity = capacity_;
    const bool wrapped = wrapped_;

    // A match left unfinished by the previous call.
    if (pendingLen_ && pos < limit) {
        std::size_t back = std::size_t(rep0_) + 1;
        std::size_t n = std::min<std::size_t>(pendingLen_, limit - pos);
        pendingLen_ -= std::uint32_t(n);
        history += n;
        for (std::size_t src = pos >= back ? pos - back : pos + bufSize - back; n; --n) {
            dict[pos++] = dict[src++];
            if (src == bufSize) src = 0;
        }
    }

    std::uint16_t* const probs = probs_.data();
    std::uint16_t* const literals = probs + kLiteral;
    const unsigned lc = lc_;
    const std::uint32_t lpMask = (1u << lp_) - 1;
    const std::uint32_t pbMask = (1u << pb_) - 1;
    Rc rc{range_, code_, input.ptr};
    const std::uint8_t* checkAt = input.checkAt;
    unsigned state = state_;
    std::uint32_t rep0 = rep0_, rep1 = rep1_, rep2 = rep2_, rep3 = rep3_;
    Stop stop = Stop::Limit;
    const char* error = nullptr;
    // The loop counts in 32 bits (what the position bits need, and cheap on 32-bit targets);
    // the full count is rebuilt for distance checks and at the end.
    const std::uint64_t historyStart = history;
    const std::uint32_t processedStart = std::uint32_t(history);
    std::uint32_t processed = processedStart;
    auto reachable = [&]() -> std::uint64_t {
        std::uint64_t h = historyStart + (processed - processedStart);
        return h < capacity ? h : capacity;
    };
    // With no history the previous byte counts as 0: put one where the loop looks for it.
    // That spot is dead: it is before the start, or it was history before a reset (and the
    // owner decodes only once everything before dictPos() has been read out).
    if (history == 0) dict[(pos ? pos : bufSize) - 1] = 0;

    while (pos < limit) {
        if (QS_UNLIKELY(rc.in >= checkAt)) {
            input.ptr = rc.in;
            input.refill();
            rc.in = input.ptr;
            checkAt = input.checkAt;
            if (rc.in >= checkAt) {
                error = "LZMA: unexpected end of input";
                break;
            }
        }
        const unsigned posState = processed & pbMask;
        if (!rc.bit(probs[kIsMatch + (state << 4) + posState])) {
            unsigned prevByte = dict[(pos ? pos : bufSize) - 1];
            std::uint16_t* lit = literals + 0x300u * (((processed & lpMask) << lc) + (prevByte >> (8 - lc)));
            unsigned symbol = 1;
            if (state < 7) {
#pragma GCC unroll 8
                for (int i = 0; i < 8; ++i) symbol = (symbol << 1) | rc.bitFlat(lit[symbol]);
            } else {
                // After a match the literal is coded relative to the byte at distance rep0.
                std::size_t back = std::size_t(rep0) + 1;
                unsigned matchByte = dict[pos >= back ? pos - back : pos + bufSize - back];
                // While the decoded bits equal the match byte's, the probabilities come from
                // the half selected by the match bit (0x100 + 0x100 * bit); after the first
                // difference, from the plain table. `offset` is 0x100 until then, 0 after.
                unsigned offset = 0x100;
#pragma GCC unroll 8
                for (int i = 0; i < 8; ++i) {
                    matchByte <<= 1;
                    unsigned matchBit = matchByte & offset;
                    unsigned b = rc.bitFlat(lit[offset + matchBit + symbol]);
                    symbol = (symbol << 1) | b;
                    offset &= matchBit ^ (b - 1);
                }
            }
            dict[pos++] = std::uint8_t(symbol);
            ++processed;
            state = kLiteralNextState[state];
            continue;
        }

        unsigned len;
        if (!rc.bit(probs[kIsRep + state])) {
            len = rc.length(probs + kLenCoder, posState);
            state = state < 7 ? 7 : 10;
            std::uint32_t dist = rc.distance(probs, len);
            if (QS_UNLIKELY(dist == 0xFFFFFFFFu)) {
                if (!markerAllowed) error = "LZMA: unexpected end marker";
                else stop = Stop::EndMarker;
                break;
            }
            rep3 = rep2;
            rep2 = rep1;
            rep1 = rep0;
            rep0 = dist;
        } else {
            if (!rc.bit(probs[kIsRepG0 + state])) {
                if (!rc.bit(probs[kIsRep0Long + (state << 4) + posState])) {
                    // One byte from distance rep0.
                    std::size_t back = std::size_t(rep0) + 1;
                    if (QS_UNLIKELY(rep0 >= reachable())) {
                        error = "LZMA: match distance beyond the data";
                        break;
                    }
                    state = state < 7 ? 9 : 11;
                    dict[pos] = dict[pos >= back ? pos - back : pos + bufSize - back];
                    ++pos;
                    ++processed;
                    continue;
                }
            } else {
                std::uint32_t dist;
                if (!rc.bit(probs[kIsRepG1 + state])) {
                    dist = rep1;
                } else {
                    if (!rc.bit(probs[kIsRepG2 + state])) {
                        dist = rep2;
                    } else {
                        dist = rep3;
                        rep3 = rep2;
                    }
                    rep2 = rep1;
                }
                rep1 = rep0;
                rep0 = dist;
            }
            len = rc.length(probs + kRepLenCoder, posState);
            state = state < 7 ? 8 : 11;
        }

        if (QS_UNLIKELY(rep0 >= reachable())) {
            error = "LZMA: match distance beyond the data";
            break;
        }
        len += kMatchMinLen;
        std::size_t room = limit - pos;
        std::size_t n = len < room ? len : room;
        pendingLen_ = std::uint32_t(len - n);
        processed += std::uint32_t(n);
        std::size_t back = std::size_t(rep0) + 1;
        if (QS_LIKELY(pos >= back)) {
            std::uint8_t* d = dict + pos;
            const std::uint8_t* s = d - back;
            pos += n;
            if (back >= 8 && !wrapped) {
                // Before the first wrap nothing lives past the write position, so whole
                // 8-byte words may be copied (the buffer has kSlack spare bytes at its end).
                for (std::size_t done = 0; done < n; done += 8) std::memcpy(d + done, s + done, 8);
            } else if (back >= n) {
                std::memcpy(d, s, n);
            } else if (back >= 8) {
                for (; n >= 8; n -= 8, d += 8, s += 8) std::memcpy(d, s, 8);
                while (n--) *d++ = *s++;
            } else {
                do *d++ = *s++;
                while (--n);
            }
        } else {
            std::size_t src = pos + bufSize - back;
            do {
                dict[pos++] = dict[src++];
                if (src == bufSize) src = 0;
            } while (--n);
        }
    }

    input.ptr = rc.in;
    range_ = rc.range;
    code_ = rc.code;
    state_ = state;
    rep0_ = rep0;
    rep1_ = rep1;
    rep2_ = rep2;
    rep3_ = rep3;
    pos_ = pos;
    historyLen_ = historyStart + (processed - processedStart);
    if (error) throwCorrupt(error);
    if (input.final && input.ptr > input.end) throwCorrupt("LZMA: unexpected end of input");
    return stop;
}

void LzmaCore::decodeEndMarker(LzmaInput& input) {
    if (input.ptr >= input.checkAt) input.refill();
    if (input.ptr >= input.checkAt) throwCorrupt("LZMA: unexpected end of input");
    Rc rc{range_, code_, input.ptr};
    std::uint16_t* probs = probs_.data();
    unsigned posState = unsigned(historyLen_) & ((1u << pb_) - 1);
    bool ok = rc.bit(probs[kIsMatch + (state_ << 4) + posState]) && !rc.bit(probs[kIsRep + state_]);
    if (ok) {
        unsigned len = rc.length(probs + kLenCoder, posState);
        ok = rc.distance(probs, len) == 0xFFFFFFFFu;
    }
    input.ptr = rc.in;
    range_ = rc.range;
    code_ = rc.code;
    if (!ok) throwCorrupt("LZMA: data continues past the expected size");
    if (input.final && input.ptr > input.end) throwCorrupt("LZMA: unexpected end of input");
}

}  // namespace qs::archive::codec
