// Integer texts in 32 and 64 bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "engine/integer_text.h"

using namespace qs;

namespace {

struct Case {
    const char* text;
    std::optional<std::int64_t> as32;  // nothing: not a 32-bit integer
    std::optional<std::int64_t> as64;
};

const Case kCases[] = {
    {"0", 0, 0},
    {"42", 42, 42},
    {"+42", 42, 42},
    {"-42", -42, -42},
    {"   7", 7, 7},
    {"\t 7", 7, 7},
    {"007", 7, 7},
    {"-0", 0, 0},
    // Hexadecimal with each prefix, either case.
    {"$1F", 31, 31},
    {"$1f", 31, 31},
    {"x1F", 31, 31},
    {"X1f", 31, 31},
    {"0x1F", 31, 31},
    {"0X1F", 31, 31},
    {"-$10", -16, -16},
    {"  +0x10", 16, 16},
    {"$0000000000000000001", 1, 1},  // leading zeros do not count against the width
    // Hexadecimal is a bit pattern of the width.
    {"$7FFFFFFF", 2147483647, 2147483647},
    {"$FFFFFFFF", -1, 4294967295LL},
    {"$80000000", -2147483647LL - 1, 2147483648LL},
    {"$100000000", std::nullopt, 4294967296LL},
    {"$FFFFFFFFFFFFFFFF", std::nullopt, -1},
    {"$10000000000000000", std::nullopt, std::nullopt},
    // Decimal range edges.
    {"2147483647", 2147483647, 2147483647},
    {"2147483648", std::nullopt, 2147483648LL},
    {"-2147483648", -2147483647LL - 1, -2147483648LL},
    {"-2147483649", std::nullopt, -2147483649LL},
    {"9223372036854775807", std::nullopt, INT64_MAX},
    {"9223372036854775808", std::nullopt, std::nullopt},
    {"-9223372036854775808", std::nullopt, INT64_MIN},
    {"-9223372036854775809", std::nullopt, std::nullopt},
    {"99999999999999999999999", std::nullopt, std::nullopt},
    // Not integers.
    {"", std::nullopt, std::nullopt},
    {"   ", std::nullopt, std::nullopt},
    {"-", std::nullopt, std::nullopt},
    {"+", std::nullopt, std::nullopt},
    {"$", std::nullopt, std::nullopt},
    {"x", std::nullopt, std::nullopt},
    {"0x", std::nullopt, std::nullopt},
    {"7 ", std::nullopt, std::nullopt},  // nothing may follow the digits
    {"7a", std::nullopt, std::nullopt},
    {"1.5", std::nullopt, std::nullopt},
    {"- 7", std::nullopt, std::nullopt},
    {"--7", std::nullopt, std::nullopt},
    {"$G", std::nullopt, std::nullopt},
    {"$1 ", std::nullopt, std::nullopt},
    {"1e3", std::nullopt, std::nullopt},
    {"0x-1", std::nullopt, std::nullopt},
    {"abc", std::nullopt, std::nullopt},
    {"1,000", std::nullopt, std::nullopt},
};

TEST(IntegerText, ReadsDecimalAndHexadecimalWithinTheWidth) {
    for (const Case& c : kCases) {
        const auto v32 = parseInt32(c.text);
        const auto v64 = parseInt64(c.text);
        EXPECT_EQ(v32.has_value(), c.as32.has_value()) << '"' << c.text << '"';
        if (v32 && c.as32) {
            EXPECT_EQ(*v32, *c.as32) << '"' << c.text << '"';
        }
        EXPECT_EQ(v64.has_value(), c.as64.has_value()) << '"' << c.text << '"';
        if (v64 && c.as64) {
            EXPECT_EQ(*v64, *c.as64) << '"' << c.text << '"';
        }
    }
}

TEST(IntegerText, DecimalOnlyFormRejectsHexadecimal) {
    EXPECT_EQ(parseDecimalInt32(" -12"), -12);
    EXPECT_EQ(parseDecimalInt32("$10"), std::nullopt);
    EXPECT_EQ(parseDecimalInt32("0x10"), std::nullopt);
    EXPECT_EQ(parseDecimalInt32("x1"), std::nullopt);
    EXPECT_EQ(parseDecimalInt32("0"), 0);
    EXPECT_EQ(parseDecimalInt32("2147483648"), std::nullopt);
}

}  // namespace
