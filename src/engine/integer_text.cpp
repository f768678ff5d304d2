#include "integer_text.h"

namespace qs {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value as a two's-complement pattern of `bits` bits, sign applied, or nothing.
std::optional<std::uint64_t> parse(std::string_view text, unsigned bits, bool allowHex) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    const std::uint64_t mask = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
    std::uint64_t magnitude = 0;
    std::size_t digits = 0;

    std::size_t hexStart = std::string_view::npos;
    if (allowHex && i < text.size()) {
        if (text[i] == '$' || text[i] == 'x' || text[i] == 'X')
            hexStart = i + 1;
        else if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X'))
            hexStart = i + 2;
    }

    if (hexStart != std::string_view::npos) {
        for (i = hexStart; i < text.size(); ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0) return std::nullopt;
            if (magnitude > (mask >> 4)) return std::nullopt;  // wider than the target
            magnitude = (magnitude << 4) | static_cast<std::uint64_t>(d);
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        // Hexadecimal digits give the bit pattern; the sign negates it with wrap-around.
        return negative ? (~magnitude + 1) & mask : magnitude;
    }

    // Decimal: the magnitude may reach 2^(bits-1) for a negative value.
    const std::uint64_t limit = (std::uint64_t{1} << (bits - 1)) - (negative ? 0 : 1);
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        const auto d = static_cast<std::uint64_t>(c - '0');
        if (magnitude > (limit - d) / 10) return std::nullopt;
        magnitude = magnitude * 10 + d;
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return negative ? (~magnitude + 1) & mask : magnitude;
}

}  // namespace

std::optional<std::int32_t> parseInt32(std::string_view text) {
    const auto bits = parse(text, 32, true);
    if (!bits) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(*bits));
}

std::optional<std::int64_t> parseInt64(std::string_view text) {
    const auto bits = parse(text, 64, true);
    if (!bits) return std::nullopt;
    return static_cast<std::int64_t>(*bits);
}

std::optional<std::int32_t> parseDecimalInt32(std::string_view text) {
    const auto bits = parse(text, 32, false);
    if (!bits) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(*bits));
}

std::string notAnIntegerMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

}  // namespace qs
