// "Mathematics": 64-bit integer operations on two operands, and a small linear congruential
// generator whose state lives for the whole run.
//
// Line parameters: 1 first operand a, 2 second operand b (both expanded integer texts,
// integer_text.h), 3 the operation code (integer text), 4 the result variable (may be empty).
// Arithmetic is signed 64-bit with wrap-around (so the lowest value divided by -1 is itself,
// and its remainder 0).
//
//   0 a+b   1 a-b   2 a*b   3 a div b (toward zero)   4 a mod b (sign of a)
//   5 a and b   6 a or b   7 a xor b
//   8 a shl b   9 a shr b (zero fill): the count is the low byte of b; a count of 64 or more
//     (up to 255) shifts every bit out and gives 0
//   10 not a
//   11 the character code (0-255) of the first character of parameter 1 expanded
//   12 the one-character text whose code is the low byte of a
//   13 multiplier := low 32 bits of a, increment := low 32 bits of b; result a+b
//   14 current := low 32 bits of a; result current
//   15 x := multiplier*current + increment (signed 32-bit, wrap-around);
//      current := x rem 32767; result x rem a (remainders take the sign of x)
//
// Operands read: a for every code except 11; b for codes below 10 and for 13.
// Failures (EngineError): an operand or code that is not an integer text, division or
// remainder by zero (codes 3, 4, 15; the generator state is left unchanged), code 11 with an
// empty parameter 1.
// Codes outside 0 to 15 compute nothing: the operands are still read (and can fail), the
// result variable is created when missing, and no value is assigned.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qs {

struct Engine;

struct MathRandomState {
    std::int32_t multiplier = 0;
    std::int32_t increment = 0;
    std::int32_t current = 0;
};

// The result text of operation `code` on the expanded operand texts, or nothing for a code
// outside 0 to 15. `state` is the run's generator state (codes 13 to 15).
std::optional<std::string> computeMathematics(std::int64_t code, const std::string& first, const std::string& second,
                                              MathRandomState& state);

// The "Mathematics" command on line `line`: the result variable is created empty when
// missing, then assigned the result with the context "Mathematics Action".
void mathematicsCommand(Engine& engine, int line);

}  // namespace qs
