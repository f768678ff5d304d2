// Hand-built 7z archives for tests: small stored ("Copy") archives, and the pieces to build
// damaged ones byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/codec/crc32.h"

namespace qs::archive::fixtures {

inline std::string u32le(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
}
inline std::string u64le(std::uint64_t v) { return u32le(static_cast<std::uint32_t>(v)) + u32le(static_cast<std::uint32_t>(v >> 32)); }

// The 7z variable-length number, always in its shortest form.
inline std::string num(std::uint64_t v) {
    for (int extra = 0; extra < 8; ++extra) {
        const std::uint64_t limit = 1ull << (7 * (extra + 1));
        if (v < limit) {
            const std::uint8_t mask = static_cast<std::uint8_t>(0xFF00u >> extra);
            std::string s(1, static_cast<char>(mask | static_cast<std::uint8_t>(v >> (8 * extra))));
            for (int i = 0; i < extra; ++i) s += static_cast<char>(v >> (8 * i));
            return s;
        }
    }
    return std::string(1, '\xFF') + u64le(v);
}

inline std::string b(std::initializer_list<int> bytes) {
    std::string s;
    for (int x : bytes) s += static_cast<char>(x);
    return s;
}

inline std::string utf16z(const std::u16string& name) {
    std::string s;
    for (char16_t c : name) s += static_cast<char>(c & 0xFF), s += static_cast<char>(c >> 8);
    return s + std::string(2, '\0');
}

inline std::uint32_t crcOf(const std::string& s) { return qs::archive::crc32(s.data(), s.size()); }

// Signature header + packed bytes + header, with both CRCs right.
inline std::string archiveFrom(const std::string& packed, const std::string& header) {
    const std::string tail = u64le(packed.size()) + u64le(header.size()) + u32le(crcOf(header));
    return b({'7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0, 4}) + u32le(crcOf(tail)) + tail + packed + header;
}

struct Item {
    std::u16string name;
    std::string data;
    bool folder = false;
};

// A header for one stored solid folder holding every non-empty file.
inline std::string copyHeader(const std::vector<Item>& items) {
    std::string h = b({0x01});
    std::vector<const Item*> streams;
    for (const Item& it : items)
        if (!it.folder && !it.data.empty()) streams.push_back(&it);
    if (!streams.empty()) {
        std::uint64_t total = 0;
        for (const Item* s : streams) total += s->data.size();
        h += b({0x04, 0x06}) + num(0) + num(1) + b({0x09}) + num(total) + b({0x00});
        h += b({0x07, 0x0B}) + num(1) + b({0x00}) + num(1) + b({0x01, 0x00}) + b({0x0C}) + num(total) + b({0x00});
        h += b({0x08, 0x0D}) + num(streams.size()) + b({0x09});
        for (std::size_t i = 0; i + 1 < streams.size(); ++i) h += num(streams[i]->data.size());
        h += b({0x0A, 0x01});
        for (const Item* s : streams) h += u32le(crcOf(s->data));
        h += b({0x00, 0x00});
    }
    h += b({0x05}) + num(items.size());
    std::vector<bool> empty;
    std::vector<bool> emptyFile;
    for (const Item& it : items) {
        const bool e = it.folder || it.data.empty();
        empty.push_back(e);
        if (e) emptyFile.push_back(!it.folder);
    }
    auto bits = [](const std::vector<bool>& v) {
        std::string s((v.size() + 7) / 8, '\0');
        for (std::size_t i = 0; i < v.size(); ++i)
            if (v[i]) s[i / 8] = static_cast<char>(s[i / 8] | (0x80 >> (i % 8)));
        return s;
    };
    if (!emptyFile.empty()) {
        h += b({0x0E}) + num(bits(empty).size()) + bits(empty);
        h += b({0x0F}) + num(bits(emptyFile).size()) + bits(emptyFile);
    }
    std::string names = b({0x00});
    for (const Item& it : items) names += utf16z(it.name);
    h += b({0x11}) + num(names.size()) + names;
    h += b({0x00, 0x00});
    return h;
}

inline std::string copyArchive(const std::vector<Item>& items) {
    std::string packed;
    for (const Item& it : items)
        if (!it.folder) packed += it.data;
    return archiveFrom(packed, copyHeader(items));
}

}  // namespace qs::archive::fixtures
