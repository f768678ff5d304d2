// Archives written by 7-Zip at test time, and just enough of the 7z header to reach the one
// folder's coders: the codecs are tested on the streams the real tool writes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive/codec/decoder_factory.h"
#include "codec_test_util.h"

namespace qs::archive::test {

// The one folder of a small 7z archive with an uncompressed header: just enough to reach the
// coders, their properties and sizes, and the packed stream.
struct Folder {
    struct Coder {
        std::uint64_t id = 0;
        Bytes props;
    };
    std::vector<Coder> coders;
    std::vector<std::uint64_t> unpackSizes;
    Bytes packed;
};

inline Folder readSingleFolder(const Bytes& file) {
    auto le64 = [&](std::size_t at) {
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = v << 8 | file.at(at + i);
        return v;
    };
    std::size_t p = 32 + std::size_t(le64(12));
    auto byte = [&] { return file.at(p++); };
    auto number = [&] {
        std::uint8_t first = byte();
        unsigned extra = 0;
        while (extra < 8 && (first & (0x80 >> extra))) ++extra;
        std::uint64_t v = 0;
        for (unsigned i = 0; i < extra; ++i) v |= std::uint64_t(byte()) << (8 * i);
        if (extra < 8) v |= std::uint64_t(first & ((0x80 >> extra) - 1)) << (8 * extra);
        return v;
    };
    auto expect = [&](std::uint8_t v) {
        if (byte() != v) throw std::runtime_error("unexpected 7z header layout");
    };
    Folder f;
    expect(0x01);  // header
    expect(0x04);  // main streams
    expect(0x06);  // pack info
    std::uint64_t packPos = number();
    expect(0x01);  // one pack stream
    expect(0x09);
    std::uint64_t packSize = number();
    expect(0x00);
    expect(0x07);  // unpack info
    expect(0x0B);
    expect(0x01);  // one folder
    expect(0x00);
    std::uint64_t numCoders = number();
    for (std::uint64_t i = 0; i < numCoders; ++i) {
        std::uint8_t flags = byte();
        Folder::Coder c;
        for (unsigned k = 0; k < (flags & 0x0Fu); ++k) c.id = c.id << 8 | byte();
        if (flags & 0x20) {
            std::uint64_t n = number();
            for (std::uint64_t k = 0; k < n; ++k) c.props.push_back(byte());
        }
        f.coders.push_back(c);
    }
    for (std::uint64_t i = 1; i < numCoders; ++i) {
        // Coder i reads coder i-1's output: packed -> coder 0 -> ... -> last.
        if (number() != i || number() != i - 1) throw std::runtime_error("unexpected coder binding");
    }
    expect(0x0C);
    for (std::uint64_t i = 0; i < numCoders; ++i) f.unpackSizes.push_back(number());
    f.packed.assign(file.begin() + 32 + std::ptrdiff_t(packPos), file.begin() + 32 + std::ptrdiff_t(packPos + packSize));
    return f;
}

// Writes `data` into an archive with 7-Zip (options choose methods and password) and returns
// the archive bytes; empty when 7zz is not installed.
inline Bytes sevenZip(const Bytes& data, const std::string& options) {
    if (std::system("command -v 7zz > /dev/null") != 0) return {};
    namespace fs = std::filesystem;
    fs::path dir = fs::path(::testing::TempDir()) / ("codec_7z_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    { std::ofstream(dir / "a.bin", std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size())); }
    fs::remove(dir / "x.7z");
    std::string cmd = "cd '" + dir.string() + "' && LC_ALL=C.UTF-8 7zz a -t7z -mhc=off -mhe=off " + options + " x.7z a.bin > /dev/null";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("7zz failed: " + cmd);
    std::ifstream in(dir / "x.7z", std::ios::binary);
    Bytes archive((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove_all(dir);
    return archive;
}

inline Bytes decodeFolder(const Folder& f, const PasswordProvider& password) {
    std::unique_ptr<ByteSource> src = test::source(f.packed);
    for (std::size_t i = 0; i < f.coders.size(); ++i)
        src = makeDecoder(f.coders[i].id, f.coders[i].props, std::move(src), f.unpackSizes[i], password);
    return test::drain(*src);
}

}  // namespace qs::archive::test
