// Test data and liblzma helpers shared by the codec tests.
#pragma once

#include <lzma.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/byte_source.h"

namespace qs::archive::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes randomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = std::uint8_t(rng());
    return b;
}

inline Bytes repetitiveBytes(std::size_t n) {
    static const char kPattern[] = "abcabcabd0123456789";
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = std::uint8_t(kPattern[i % (sizeof kPattern - 1)]);
    return b;
}

// Words drawn from a small vocabulary with varying frequency: compresses like prose.
inline Bytes textBytes(std::size_t n, std::uint32_t seed) {
    static const char* kWords[] = {"the ",    "setup ",   "engine ", "reads ",  "archive ", "folder ", "file ",
                                   "and ",    "writes ",  "a ",      "program ", "files, ", "into ",   "target\n",
                                   "Windows ", "install ", "of ",     "to ",     "registry ", "key. "};
    std::mt19937 rng(seed);
    std::geometric_distribution<int> pick(0.18);
    Bytes b;
    b.reserve(n + 16);
    while (b.size() < n) {
        const char* w = kWords[pick(rng) % 20];
        b.insert(b.end(), w, w + std::char_traits<char>::length(w));
    }
    b.resize(n);
    return b;
}

// Runs liblzma's raw encoder with the given filter chain.
inline Bytes rawEncode(const lzma_filter* filters, const Bytes& data) {
    Bytes out(data.size() + data.size() / 2 + 4096);
    std::size_t outPos = 0;
    lzma_ret r = lzma_raw_buffer_encode(filters, nullptr, data.data(), data.size(), out.data(), &outPos, out.size());
    if (r != LZMA_OK) throw std::runtime_error("lzma_raw_buffer_encode failed: " + std::to_string(r));
    out.resize(outPos);
    return out;
}

// Runs liblzma's raw decoder; the output size must be known.
inline Bytes rawDecode(const lzma_filter* filters, const Bytes& packed, std::size_t outSize) {
    Bytes out(outSize + 1);  // liblzma wants room even for an empty result
    std::size_t inPos = 0, outPos = 0;
    lzma_ret r = lzma_raw_buffer_decode(filters, nullptr, packed.data(), &inPos, packed.size(), out.data(), &outPos,
                                        out.size());
    if (r != LZMA_OK && r != LZMA_STREAM_END) throw std::runtime_error("lzma_raw_buffer_decode failed");
    out.resize(outPos);
    return out;
}

inline lzma_options_lzma lzmaOptions(std::uint32_t preset, std::uint32_t dictSize) {
    lzma_options_lzma opt;
    if (lzma_lzma_preset(&opt, preset)) throw std::runtime_error("bad preset");
    if (dictSize) opt.dict_size = dictSize;
    return opt;
}

inline Bytes encodeLzma2(const Bytes& data, std::uint32_t preset, std::uint32_t dictSize = 0) {
    lzma_options_lzma opt = lzmaOptions(preset, dictSize);
    lzma_filter f[] = {{LZMA_FILTER_LZMA2, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    return rawEncode(f, data);
}

// The LZMA2 property byte for a dictionary size (the smallest size class that holds it).
inline std::uint8_t lzma2DictProp(std::uint32_t dictSize) {
    for (std::uint8_t p = 0; p < 40; ++p) {
        std::uint32_t size = (2u | (p & 1u)) << (p / 2 + 11);
        if (size >= dictSize) return p;
    }
    return 40;
}

// The 5-byte LZMA properties for liblzma options.
inline Bytes lzmaProps(const lzma_options_lzma& o) {
    std::uint32_t d = o.dict_size;
    return {std::uint8_t((o.pb * 5 + o.lp) * 9 + o.lc), std::uint8_t(d), std::uint8_t(d >> 8), std::uint8_t(d >> 16),
            std::uint8_t(d >> 24)};
}

// A source that owns its bytes and hands them out at most `step` at a time.
class OwnedSource final : public ByteSource {
public:
    explicit OwnedSource(Bytes data, std::size_t step = ~std::size_t(0)) : data_(std::move(data)), step_(step) {}
    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        std::size_t n = std::min({size, step_, data_.size() - pos_});
        if (n) std::memcpy(dst, data_.data() + pos_, n);
        pos_ += n;
        return n;
    }

private:
    Bytes data_;
    std::size_t step_;
    std::size_t pos_ = 0;
};

inline std::unique_ptr<ByteSource> source(Bytes data, std::size_t step = ~std::size_t(0)) {
    return std::make_unique<OwnedSource>(std::move(data), step);
}

// Reads a source to its end in reads of `chunk` bytes; stops with an error after `limit`.
inline Bytes drain(ByteSource& src, std::size_t chunk = 1 << 16, std::size_t limit = 1u << 28) {
    Bytes out;
    Bytes buf(chunk);
    for (;;) {
        std::size_t n = src.read(buf.data(), chunk);
        if (n == 0) break;
        if (n > chunk) throw std::runtime_error("read returned more than asked");
        out.insert(out.end(), buf.begin(), buf.begin() + n);
        if (out.size() > limit) throw std::runtime_error("decoder produced too much");
    }
    return out;
}

}  // namespace qs::archive::test
