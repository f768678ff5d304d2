#include "archive/bcj2_decoder.h"

#include <vector>

#include "archive/archive_error.h"

namespace qs::archive {
namespace {

[[noreturn]] void corrupt(const char* what) { throw ArchiveError(ArchiveErrorKind::Corrupt, std::string("BCJ2 data damaged: ") + what); }

// Byte-wise reading from a source through a buffer.
class Input {
public:
    Input(std::unique_ptr<ByteSource> source, const char* name) : source_(std::move(source)), name_(name), buffer_(1 << 16) {}
    std::uint8_t next() {
        if (pos_ == end_) fill();
        return buffer_[pos_++];
    }
    // How many bytes can be taken without refilling (refills when none).
    std::size_t available() {
        if (pos_ == end_) fill();
        return end_ - pos_;
    }
    const std::uint8_t* data() const { return buffer_.data() + pos_; }
    void skip(std::size_t n) { pos_ += n; }
    std::uint32_t bigEndian32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | next();
        return v;
    }

private:
    void fill() {
        end_ = source_->read(buffer_.data(), buffer_.size());
        pos_ = 0;
        if (end_ == 0) corrupt(name_);
    }
    std::unique_ptr<ByteSource> source_;
    const char* name_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0, end_ = 0;
};

bool isJump(std::uint8_t previous, std::uint8_t b) { return (b & 0xFE) == 0xE8 || (previous == 0x0F && (b & 0xF0) == 0x80); }

class Bcj2Decoder final : public ByteSource {
public:
    Bcj2Decoder(std::unique_ptr<ByteSource> main, std::unique_ptr<ByteSource> call, std::unique_ptr<ByteSource> jump,
                std::unique_ptr<ByteSource> rc, std::uint64_t size)
        : main_(std::move(main), "main stream ends early"),
          call_(std::move(call), "call stream ends early"),
          jump_(std::move(jump), "jump stream ends early"),
          rc_(std::move(rc), "range coder stream ends early"),
          left_(size) {
        for (std::uint16_t& p : probs_) p = kBitModelTotal / 2;
    }

    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        if (!started_ && left_ > 0) start();
        std::size_t n = 0;
        while (n < size && left_ > 0) {
            if (pendingCount_ > 0) {
                dst[n++] = pending_[4 - pendingCount_--];
                --left_;
                ++produced_;
                continue;
            }
            // Copy plain bytes up to the next branch opcode.
            const std::size_t avail = main_.available();
            const std::uint8_t* src = main_.data();
            std::size_t limit = size - n;
            if (limit > left_) limit = static_cast<std::size_t>(left_);
            if (limit > avail) limit = avail;
            std::size_t k = 0;
            bool found = false;
            while (k < limit) {
                const std::uint8_t b = src[k];
                dst[n + k] = b;
                ++k;
                if (isJump(previous_, b)) {
                    found = true;
                    break;
                }
                previous_ = b;
            }
            main_.skip(k);
            n += k;
            left_ -= k;
            produced_ += k;
            if (!found || left_ == 0) continue;
            const std::uint8_t b = dst[n - 1];
            std::uint16_t& prob = b == 0xE8 ? probs_[previous_] : b == 0xE9 ? probs_[256] : probs_[257];
            if (!decodeBit(prob)) {
                previous_ = b;
                continue;
            }
            const std::uint32_t target = b == 0xE8 ? call_.bigEndian32() : jump_.bigEndian32();
            const std::uint32_t relative = target - static_cast<std::uint32_t>(produced_ + 4);
            for (int i = 0; i < 4; ++i) pending_[i] = static_cast<std::uint8_t>(relative >> (8 * i));
            pendingCount_ = 4;
            previous_ = pending_[3];
        }
        return n;
    }

private:
    static constexpr std::uint32_t kTopValue = 1u << 24;
    static constexpr int kNumBitModelTotalBits = 11;
    static constexpr std::uint32_t kBitModelTotal = 1u << kNumBitModelTotalBits;
    static constexpr int kNumMoveBits = 5;

    void start() {
        started_ = true;
        for (int i = 0; i < 5; ++i) code_ = code_ << 8 | rc_.next();
        if (code_ == 0xFFFFFFFFu) corrupt("bad range coder start");
    }

    bool decodeBit(std::uint16_t& prob) {
        const std::uint32_t bound = (range_ >> kNumBitModelTotalBits) * prob;
        bool bit;
        if (code_ < bound) {
            range_ = bound;
            prob = static_cast<std::uint16_t>(prob + ((kBitModelTotal - prob) >> kNumMoveBits));
            bit = false;
        } else {
            range_ -= bound;
            code_ -= bound;
            prob = static_cast<std::uint16_t>(prob - (prob >> kNumMoveBits));
            bit = true;
        }
        if (range_ < kTopValue) {
            range_ <<= 8;
            code_ = code_ << 8 | rc_.next();
        }
        return bit;
    }

    Input main_, call_, jump_, rc_;
    std::uint64_t left_;
    std::uint64_t produced_ = 0;
    std::uint16_t probs_[258];
    std::uint32_t range_ = 0xFFFFFFFFu, code_ = 0;
    std::uint8_t previous_ = 0;
    std::uint8_t pending_[4] = {};
    int pendingCount_ = 0;
    bool started_ = false;
};

}  // namespace

std::unique_ptr<ByteSource> makeBcj2Decoder(std::unique_ptr<ByteSource> main, std::unique_ptr<ByteSource> call,
                                            std::unique_ptr<ByteSource> jump, std::unique_ptr<ByteSource> rangeCoded,
                                            std::uint64_t size) {
    return std::make_unique<Bcj2Decoder>(std::move(main), std::move(call), std::move(jump), std::move(rangeCoded), size);
}

}  // namespace qs::archive
