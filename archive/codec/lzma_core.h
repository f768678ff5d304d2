// The LZMA decoding engine shared by the LZMA and LZMA2 decoders: range decoder, adaptive
// probabilities and the sliding dictionary.
//
// Output is decoded into the dictionary; the owner copies it out from there. The dictionary
// grows on demand up to its capacity (so a large dictionary costs memory only once that much
// output exists) and then wraps around.
//
// Input comes through LzmaInput, a window of packed bytes. Whole symbols are decoded without
// per-byte bounds checks: before each symbol the window either holds at least
// kMaxSymbolBytes bytes, or it is final and padded with that many zero bytes. A symbol that
// reads into the padding means the packed data ended too early (Corrupt).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qs::archive::codec {

// No symbol consumes more input bytes than this (48 bits at most one byte each, rounded up).
inline constexpr std::size_t kMaxSymbolBytes = 64;

class LzmaInput {
public:
    const std::uint8_t* ptr = nullptr;      // next unread byte
    const std::uint8_t* end = nullptr;      // end of the real data
    const std::uint8_t* checkAt = nullptr;  // refill() is due once ptr reaches this
    bool final = false;                     // nothing follows `end`; zero padding does

    virtual ~LzmaInput() = default;
    // Makes at least kMaxSymbolBytes bytes available from ptr, or marks the window final
    // (the bytes after `end` then read as zeros). Throws Corrupt if ptr is already past `end`
    // of a final window.
    virtual void refill() = 0;

protected:
    void setWindow(const std::uint8_t* p, const std::uint8_t* e, bool isFinal) {
        ptr = p;
        end = e;
        final = isFinal;
        checkAt = isFinal ? e + 1 : (e - p >= std::ptrdiff_t(kMaxSymbolBytes) ? e - kMaxSymbolBytes + 1 : p);
    }
};

struct LzmaProperties {
    unsigned lc = 3, lp = 0, pb = 2;
    std::uint32_t dictSize = 1u << 24;
};

// Parses the 5-byte LZMA properties; throws Corrupt when malformed.
LzmaProperties parseLzmaProperties(const std::uint8_t* props, std::size_t size);

class LzmaCore {
public:
    // `dictCapacity`: the most history kept (>= 1). The buffer grows to it on demand.
    explicit LzmaCore(std::size_t dictCapacity);

    void setLiteralProperties(unsigned lc, unsigned lp, unsigned pb);
    // Resets probabilities, state and repeat distances.
    void resetState();
    // Forgets the history: no match may reach before this point.
    void resetDictionary() { historyLen_ = 0; }
    // Reads the 5-byte range coder header (first byte must be 0).
    void initRangeCoder(LzmaInput& in);
    // True when the range coder has consumed a complete, flushed stream.
    bool rangeCoderFinished() const { return code_ == 0; }
    bool hasPendingMatch() const { return pendingLen_ != 0; }

    enum class Stop { Limit, EndMarker };
    // Decodes into the dictionary until dictPos() == limit (limit <= bufferSize()) or an end
    // marker is read. `markerAllowed`: an end marker is legal here; if not, it is Corrupt.
    // A match longer than the room left is finished by the next call. Call only once the
    // owner has read out everything before dictPos(): positions after it, and after a
    // dictionary reset the byte before it, may be overwritten.
    Stop decode(LzmaInput& in, std::size_t limit, bool markerAllowed);
    // After the last expected byte: decodes what must be an end marker.
    void decodeEndMarker(LzmaInput& in);

    // Appends raw bytes to the history (LZMA2 uncompressed chunks); n <= bufferSize()-dictPos().
    std::uint8_t* appendPointer() { return buf_.data() + pos_; }
    void appended(std::size_t n);

    // Dictionary buffer management for the owner.
    const std::uint8_t* buffer() const { return buf_.data(); }
    std::size_t dictPos() const { return pos_; }
    std::size_t bufferSize() const { return bufSize_; }
    // Call when dictPos() == bufferSize(): grows the buffer, or wraps to position 0.
    void makeRoom();

private:
    std::vector<std::uint8_t> buf_;
    std::size_t bufSize_ = 0;  // usable size of buf_
    std::size_t capacity_;
    std::size_t pos_ = 0;
    std::uint64_t historyLen_ = 0;  // bytes since the last dictionary reset
    bool wrapped_ = false;

    std::vector<std::uint16_t> probs_;
    unsigned lc_ = 3, lp_ = 0, pb_ = 2;
    std::uint32_t range_ = 0, code_ = 0;
    unsigned state_ = 0;
    std::uint32_t rep0_ = 0, rep1_ = 0, rep2_ = 0, rep3_ = 0;
    std::uint32_t pendingLen_ = 0;
};

}  // namespace qs::archive::codec
