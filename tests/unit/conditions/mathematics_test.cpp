// "Mathematics": the operations, their failures and the generator kept across lines.
#include <gtest/gtest.h>

#include "engine/engine_error.h"
#include "engine/mathematics.h"
#include "engine_fixture.h"

using namespace qs;
using qs::test::EngineFixture;

namespace {

struct Case {
    std::int64_t code;
    const char* a;
    const char* b;
    const char* expected;
};

const Case kCases[] = {
    {0, "2", "3", "5"},
    {0, "9223372036854775807", "1", "-9223372036854775808"},  // wraps
    {0, "$10", "0x10", "32"},
    {1, "2", "3", "-1"},
    {1, "-9223372036854775808", "1", "9223372036854775807"},
    {2, "-4", "5", "-20"},
    {2, "4294967296", "4294967296", "0"},
    {2, "$FFFFFFFFFFFFFFFF", "3", "-3"},
    {3, "7", "2", "3"},
    {3, "-7", "2", "-3"},  // toward zero
    {3, "7", "-2", "-3"},
    {3, "-9223372036854775808", "-1", "-9223372036854775808"},  // wraps, no trap
    {4, "7", "3", "1"},
    {4, "-7", "3", "-1"},  // sign of a
    {4, "7", "-3", "1"},
    {4, "-9223372036854775808", "-1", "0"},
    {5, "12", "10", "8"},
    {6, "12", "3", "15"},
    {7, "12", "10", "6"},
    {8, "1", "3", "8"},
    {8, "1", "63", "-9223372036854775808"},
    {8, "1", "64", "0"},
    {8, "1", "127", "0"},
    {8, "1", "255", "0"},
    {8, "1", "256", "1"},   // low byte of 256 is 0
    {8, "1", "259", "8"},   // low byte 3
    {8, "1", "-1", "0"},    // low byte 255
    {9, "-1", "60", "15"},  // zero fill
    {9, "-1", "0", "-1"},
    {9, "-1", "64", "0"},
    {9, "256", "4", "16"},
    {10, "0", "ignored", "-1"},
    {10, "$FF", "", "-256"},
    {11, "A", "", "65"},
    {11, "\xFF" "x", "", "255"},
    {12, "65", "", "A"},
    {12, "321", "", "A"},  // low byte of 321 is 65
    {12, "-191", "", "A"},
};

TEST(Mathematics, ComputesEachOperation) {
    for (const Case& c : kCases) {
        MathRandomState state;
        const auto result = computeMathematics(c.code, c.a, c.b, state);
        ASSERT_TRUE(result.has_value()) << c.code;
        EXPECT_EQ(*result, c.expected) << "code " << c.code << " a '" << c.a << "' b '" << c.b << "'";
    }
}

TEST(Mathematics, FailuresRaiseEngineErrors) {
    const Case failing[] = {
        {3, "1", "0", ""},
        {4, "1", "0", ""},
        {15, "0", "", ""},
        {0, "1x", "1", ""},
        {0, "1", "", ""},
        {0, "1", " 2 ", ""},
        {0, "9223372036854775808", "1", ""},
        {10, "abc", "", ""},
        {11, "", "", ""},
        {-1, "1", "x", ""},  // below 10: the second operand is read
    };
    for (const Case& c : failing) {
        MathRandomState state;
        EXPECT_THROW(computeMathematics(c.code, c.a, c.b, state), EngineError) << "code " << c.code << " a '" << c.a << "'";
    }
}

TEST(Mathematics, SecondOperandIsReadOnlyWhereItIsUsed) {
    MathRandomState state;
    for (std::int64_t code : {10, 12, 14, 15}) EXPECT_NO_THROW(computeMathematics(code, "5", "not a number", state)) << code;
    EXPECT_NO_THROW(computeMathematics(11, "not a number", "not a number", state));
    EXPECT_THROW(computeMathematics(13, "5", "not a number", state), EngineError);
}

TEST(Mathematics, CodesOutsideTheTableComputeNothing) {
    MathRandomState state;
    EXPECT_EQ(computeMathematics(16, "1", "x", state), std::nullopt);
    EXPECT_EQ(computeMathematics(-1, "1", "2", state), std::nullopt);
    EXPECT_THROW(computeMathematics(99, "x", "", state), EngineError);  // the first operand is still read
}

TEST(Mathematics, GeneratorStepsFromItsSeed) {
    MathRandomState state;
    EXPECT_EQ(computeMathematics(13, "3", "7", state), "10");
    EXPECT_EQ(computeMathematics(14, "5", "", state), "5");
    EXPECT_EQ(computeMathematics(15, "10", "", state), "2");  // x = 3*5+7 = 22
    EXPECT_EQ(state.current, 22);
    EXPECT_EQ(computeMathematics(15, "10", "", state), "3");  // x = 3*22+7 = 73
    EXPECT_EQ(state.current, 73);
    EXPECT_EQ(computeMathematics(15, "-10", "", state), "6");  // 226 rem -10 keeps the sign of x
}

TEST(Mathematics, GeneratorWrapsInThirtyTwoBits) {
    MathRandomState state;
    // Seeds keep their low 32 bits.
    computeMathematics(13, "$100000002", "$100000000", state);
    EXPECT_EQ(state.multiplier, 2);
    EXPECT_EQ(state.increment, 0);
    computeMathematics(14, "$1C0000000", "", state);  // low 32 bits: 0xC0000000
    EXPECT_EQ(state.current, -1073741824);
    // 2 * 0xC0000000 wraps to 0x80000000 = -2147483648; the remainders take its sign.
    EXPECT_EQ(computeMathematics(15, "1000", "", state), "-648");
    EXPECT_EQ(state.current, -2147483648LL % 32767);

    const MathRandomState before = state;
    EXPECT_THROW(computeMathematics(15, "0", "", state), EngineError);
    EXPECT_EQ(state.current, before.current) << "a failed step leaves the generator as it was";
}

TEST(Mathematics, CommandStoresTheResultAndKeepsTheGeneratorForTheRun) {
    EngineFixture f;
    f.set("A", "3");
    f.set("B", "7");
    f.load({
        {"Mathematics", {"$A$", "$B$", "13", "SEEDSUM"}},
        {"Mathematics", {"5", "", "14", ""}},  // no result variable: nothing stored
        {"Mathematics", {"10", "", "15", "R"}},
        {"Mathematics", {"65", "", "12", "CH"}},
        {"Mathematics", {"1", "2", "16", "UNKNOWN"}},
        {"Mathematics", {"1", "0", "3", "Q"}},
        {"Mathematics", {"1", "1", "$3", "HEX"}},
        {"Mathematics", {"1", "1", "three", "BAD"}},
    });
    f.set("UNKNOWN", "kept");
    mathematicsCommand(f.engine, 0);
    EXPECT_EQ(f.get("SEEDSUM"), "10");
    mathematicsCommand(f.engine, 1);
    EXPECT_EQ(f.engine.variables.size(), 4u) << "an empty result name creates nothing";
    mathematicsCommand(f.engine, 2);
    EXPECT_EQ(f.get("R"), "2");
    EXPECT_EQ(f.engine.random.current, 22);
    mathematicsCommand(f.engine, 3);
    EXPECT_EQ(f.get("CH"), "A");
    mathematicsCommand(f.engine, 4);
    EXPECT_EQ(f.get("UNKNOWN"), "kept");

    EXPECT_THROW(mathematicsCommand(f.engine, 5), EngineError);
    EXPECT_TRUE(f.engine.variables.exists("Q")) << "the result variable exists before the work fails";
    EXPECT_EQ(f.get("Q"), "");
    mathematicsCommand(f.engine, 6);
    EXPECT_EQ(f.get("HEX"), "1");  // the code is an integer text too: $3 divides
    EXPECT_THROW(mathematicsCommand(f.engine, 7), EngineError);
}

}  // namespace
