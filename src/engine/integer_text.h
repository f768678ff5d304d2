// Integer texts: how the engine reads a number written in a script parameter or a variable.
//
// Accepted: optional leading blanks (spaces and tabs), an optional "+" or "-", then either
// decimal digits, or hexadecimal digits after "$", "x" or "0x" (letters in either case).
// Nothing may follow the digits, not even a blank, and at least one digit is required.
//
// Range. A decimal text must lie in the signed range of the target width. A hexadecimal text
// is a bit pattern of the target width: up to 8 (32-bit) or 16 (64-bit) significant digits,
// read as two's complement, so "$FFFFFFFF" is -1 as a 32-bit integer; a sign in front negates
// that value with wrap-around. Anything wider is not an integer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qs {

std::optional<std::int32_t> parseInt32(std::string_view text);
std::optional<std::int64_t> parseInt64(std::string_view text);

// Decimal form only (blanks, sign and digits as above; no hexadecimal prefix), 32-bit.
std::optional<std::int32_t> parseDecimalInt32(std::string_view text);

// The failure message of a text that a command needed as an integer.
std::string notAnIntegerMessage(std::string_view text);

}  // namespace qs
