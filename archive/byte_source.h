// Pull-model byte streams: the one interface between the 7z container reader and the codecs.
//
// A decoder is itself a ByteSource that reads its packed input from another ByteSource, so a
// folder's coder chain is a chain of sources. read() may return fewer bytes than asked; it
// returns 0 only at the end of the stream. Corrupt input is reported by throwing ArchiveError,
// never by reading out of bounds, looping forever or allocating without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace qs::archive {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes into `dst`; returns the number read, 0 at the end.
    virtual std::size_t read(std::uint8_t* dst, std::size_t size) = 0;
};

// A source over bytes held in memory (not owned: the bytes must outlive the source).
class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        std::size_t n = size < size_ - pos_ ? size : size_ - pos_;
        if (n) std::memcpy(dst, data_ + pos_, n);
        pos_ += n;
        return n;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace qs::archive
