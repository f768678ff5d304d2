#include "mathematics.h"


#include "engine.h"
#include "engine_error.h"
#include "integer_text.h"
#include "variables.h"

namespace qs {
namespace {

constexpr std::string_view kContext = "Mathematics Action";

std::int64_t toInteger(const std::string& text) {
    const auto value = parseInt64(text);
    if (!value) throw EngineError(notAnIntegerMessage(text));
    return *value;
}

// Wrap-around arithmetic through unsigned types, where overflow is defined.
std::int64_t wrap(std::uint64_t bits) { return static_cast<std::int64_t>(bits); }
std::uint64_t bits(std::int64_t v) { return static_cast<std::uint64_t>(v); }
std::int32_t low32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits(v))); }

void requireDivisor(std::int64_t divisor) {
    if (divisor == 0) throw EngineError("Division by zero");
}

std::int64_t quotient(std::int64_t a, std::int64_t b) {
    requireDivisor(b);
    if (b == -1) return wrap(0 - bits(a));  // the lowest value over -1 wraps to itself
    return a / b;
}

std::int64_t remainderOf(std::int64_t a, std::int64_t b) {
    requireDivisor(b);
    if (b == -1) return 0;
    return a % b;
}

std::int64_t shiftCount(std::int64_t b) { return static_cast<std::int64_t>(bits(b) & 0xFF); }

}  // namespace

std::optional<std::string> computeMathematics(std::int64_t code, const std::string& first, const std::string& second,
                                              MathRandomState& state) {
    if (code == 11) {
        if (first.empty()) throw EngineError("Mathematics: the text to convert is empty");
        return std::to_string(static_cast<unsigned char>(first[0]));
    }
    const std::int64_t a = toInteger(first);
    const std::int64_t b = (code < 10 || code == 13) ? toInteger(second) : 0;

    std::int64_t result = 0;
    switch (code) {
        case 0: result = wrap(bits(a) + bits(b)); break;
        case 1: result = wrap(bits(a) - bits(b)); break;
        case 2: result = wrap(bits(a) * bits(b)); break;
        case 3: result = quotient(a, b); break;
        case 4: result = remainderOf(a, b); break;
        case 5: result = a & b; break;
        case 6: result = a | b; break;
        case 7: result = a ^ b; break;
        case 8: {
            const std::int64_t n = shiftCount(b);
            result = n >= 64 ? 0 : wrap(bits(a) << n);
            break;
        }
        case 9: {
            const std::int64_t n = shiftCount(b);
            result = n >= 64 ? 0 : wrap(bits(a) >> n);
            break;
        }
        case 10: result = ~a; break;
        case 12: return std::string(1, static_cast<char>(bits(a) & 0xFF));
        case 13:
            state.multiplier = low32(a);
            state.increment = low32(b);
            result = wrap(bits(a) + bits(b));
            break;
        case 14:
            state.current = low32(a);
            result = state.current;
            break;
        case 15: {
            requireDivisor(a);
            const std::uint32_t product = static_cast<std::uint32_t>(state.multiplier) * static_cast<std::uint32_t>(state.current);
            const std::int32_t x = static_cast<std::int32_t>(product + static_cast<std::uint32_t>(state.increment));
            state.current = x % 32767;
            result = remainderOf(x, a);
            break;
        }
        default: return std::nullopt;
    }
    return std::to_string(result);
}

void mathematicsCommand(Engine& engine, int line) {
    const auto index = static_cast<std::size_t>(line);
    const std::string& target = engine.script.lineParameter(index, 4);
    if (!target.empty()) engine.variables.addIfMissing(target, "");

    const std::int64_t code = toInteger(engine.script.lineParameter(index, 3));
    const std::string first = engine.variables.expand(engine.script.lineParameter(index, 1));
    // The second operand is expanded only where it is read.
    const bool readsSecond = code < 10 || code == 13;
    const std::string second = readsSecond ? engine.variables.expand(engine.script.lineParameter(index, 2)) : std::string();

    const std::optional<std::string> result = computeMathematics(code, first, second, engine.random);
    if (result && !target.empty()) assignVariable(engine, target, *result, kContext);
}

}  // namespace qs
