// 7z's AES-256 coder: CBC decryption with a key derived from the password by iterated SHA-256.
#include <algorithm>
#include <cstring>

#include "archive/codec/aes.h"
#include "archive/codec/aes_key.h"
#include "archive/codec/decoders.h"
#include "archive/codec/sha256.h"
#include "archive/codec/stream_util.h"

namespace qs::archive::codec {
namespace {

// Above this the derivation takes minutes; 7-Zip itself refuses such archives.
constexpr unsigned kMaxCyclesPower = 24;

class AesDecoder final : public ByteSource {
public:
    AesDecoder(const AesKeyInfo& info, const Sha256::Digest& key, std::unique_ptr<ByteSource> input,
               std::uint64_t unpackSize)
        : cipher_(key.data()), input_(std::move(input)), remaining_(unpackSize), buf_(kBufferSize) {
        std::memcpy(iv_, info.iv, 16);
    }

    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        if (remaining_ == 0 || size == 0) return 0;
        if (pos_ == avail_) refill();
        std::size_t n = std::size_t(std::min<std::uint64_t>(std::min(size, avail_ - pos_), remaining_));
        std::memcpy(dst, buf_.data() + pos_, n);
        pos_ += n;
        remaining_ -= n;
        return n;
    }

private:
    static constexpr std::size_t kBufferSize = 1u << 16;

    void refill() {
        // Keep a partial block read last time; decrypt whole blocks only.
        std::size_t keep = filled_ - avail_;
        std::memmove(buf_.data(), buf_.data() + avail_, keep);
        std::uint64_t needed = (remaining_ + 15) / 16 * 16;
        std::size_t want = std::size_t(std::min<std::uint64_t>(kBufferSize, needed));
        filled_ = keep + readFully(*input_, buf_.data() + keep, want > keep ? want - keep : 0);
        avail_ = filled_ / 16 * 16;
        pos_ = 0;
        if (avail_ == 0) throwCorrupt("AES: encrypted data ends before the expected size");
        cipher_.decryptCbc(buf_.data(), avail_, iv_);
    }

    Aes256Decryptor cipher_;
    std::uint8_t iv_[16];
    std::unique_ptr<ByteSource> input_;
    std::uint64_t remaining_;
    std::vector<std::uint8_t> buf_;
    std::size_t pos_ = 0, avail_ = 0, filled_ = 0;
};

}  // namespace

AesKeyInfo parseAesProperties(const std::vector<std::uint8_t>& props) {
    AesKeyInfo info;
    if (props.empty()) throwCorrupt("AES: missing properties");
    std::uint8_t b0 = props[0];
    info.numCyclesPower = b0 & 0x3F;
    if ((b0 & 0xC0) == 0) {
        if (props.size() != 1) throwCorrupt("AES: invalid properties");
    } else {
        if (props.size() < 2) throwCorrupt("AES: invalid properties");
        std::uint8_t b1 = props[1];
        info.saltSize = ((b0 >> 7) & 1u) + (b1 >> 4);
        info.ivSize = ((b0 >> 6) & 1u) + (b1 & 0x0Fu);
        if (props.size() != 2 + info.saltSize + info.ivSize) throwCorrupt("AES: invalid properties");
        std::memcpy(info.salt, props.data() + 2, info.saltSize);
        std::memcpy(info.iv, props.data() + 2 + info.saltSize, info.ivSize);
    }
    if (info.numCyclesPower > kMaxCyclesPower && info.numCyclesPower != 0x3F)
        throw ArchiveError(ArchiveErrorKind::Unsupported, "AES: key derivation too expensive");
    return info;
}

Sha256::Digest deriveAesKey(const AesKeyInfo& info, const std::u16string& password) {
    // salt, then the password as UTF-16LE, then (for the hash) an 8-byte round counter.
    std::vector<std::uint8_t> block(info.salt, info.salt + info.saltSize);
    for (char16_t c : password) {
        block.push_back(std::uint8_t(c));
        block.push_back(std::uint8_t(c >> 8));
    }
    Sha256::Digest key{};
    if (info.numCyclesPower == 0x3F) {
        std::copy_n(block.begin(), std::min(block.size(), key.size()), key.begin());
        return key;
    }
    std::size_t counterAt = block.size();
    block.resize(counterAt + 8, 0);
    Sha256 hash;
    for (std::uint64_t round = 0, rounds = std::uint64_t(1) << info.numCyclesPower; round < rounds; ++round) {
        hash.update(block.data(), block.size());
        for (std::size_t i = counterAt; i < block.size() && ++block[i] == 0; ++i) {
        }
    }
    return hash.finish();
}

std::unique_ptr<ByteSource> makeAesDecoder(const std::vector<std::uint8_t>& props, std::unique_ptr<ByteSource> input,
                                           std::uint64_t unpackSize, const std::u16string& password) {
    AesKeyInfo info = parseAesProperties(props);
    return std::make_unique<AesDecoder>(info, deriveAesKey(info, password), std::move(input), unpackSize);
}

}  // namespace qs::archive::codec
