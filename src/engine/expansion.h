// Expansion of $NAME$ variable references and #NAME# compile-time constants inside a text.
//
// Variable references. A reference is a name between two dollar signs; any character,
// blanks included, may stand in a name, and two adjacent dollars never name a variable. The
// text is scanned from the left:
//   1. find the next "$" (call it the opening dollar); none: done;
//   2. the name runs to the next "$" (the closing dollar); none: done, the rest stays as is;
//   3. when the name is a variable, the reference (both dollars included) is replaced by its
//      value (quoted form: "value", inner quotes untouched) and scanning resumes at the start
//      of the inserted value, so references inside values expand too; a name may even be
//      completed by the text that follows the inserted value;
//   4. otherwise the closing dollar becomes the next opening dollar ("$A$B$" with only B
//      defined gives "$A" followed by B's value).
// A text without "$" is returned unchanged and the lookup is never called.
//
// Bounds. A value that refers to itself, directly or through others, would expand forever.
// The scan therefore makes at most kMaxSubstitutions replacements, and makes none that would
// leave the text longer than kMaxExpandedLength (or the input's own length, when that is more).
// When a bound is reached, expansion stops there and the rest of the text, references included,
// is returned unexpanded. Ordinary texts stay far below both bounds: a 1 MB text with 10,000
// references makes 10,000 replacements.
//
// The work is linear in the input plus everything inserted: the unscanned rest is kept as a
// stack, so an insertion never moves the text that follows it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

inline constexpr std::size_t kMaxSubstitutions = 1000000;
inline constexpr std::size_t kMaxExpandedLength = 16u * 1024u * 1024u;

// Sets `value` and returns true when `name` is a variable. Called once per reference, with no
// lock held by the expansion.
using VariableLookup = std::function<bool(std::string_view name, std::string& value)>;

// Expands the variable references of `text`; `quoted` inserts each value between double quotes.
std::string expandReferences(std::string_view text, bool quoted, const VariableLookup& lookup);

// Compile-time constants. `constants` holds pairs of name and value, in list order. For each
// constant in that order, every "#" + name + "#" (names compare ignoring ASCII case) is
// replaced by its value; replaced text is not searched again within the same step. When the
// result still holds "#" and differs from the text of that pass, the next pass starts from the
// result. A text without "#" is returned unchanged.
//
// Bounds: constants that refer to each other could grow or cycle forever, so at most
// kMaxConstantPasses passes run, and a pass stops replacing once the text has grown beyond
// kMaxExpandedLength (or the input's length, when that is more); the text as it stands is then
// the result.
inline constexpr int kMaxConstantPasses = 64;
std::string expandConstantsIn(std::string_view text, const std::vector<std::string>& constants);

}  // namespace qs
