#include "expansion.h"

#include <algorithm>

#include "name_index.h"

namespace qs {
namespace {

// The unscanned rest of the text: values inserted but not yet scanned, in front of the
// unscanned part of the input. Inserted values are kept reversed on a stack, so the next
// character is at its back and a further insertion never moves what follows it; the input
// itself is never copied.
class PendingText {
public:
    explicit PendingText(std::string_view input) : input_(input) {}

    bool empty() const { return inserted_.empty() && at_ == input_.size(); }
    std::size_t size() const { return inserted_.size() + (input_.size() - at_); }
    void drop() {
        if (!inserted_.empty())
            inserted_.pop_back();
        else
            ++at_;
    }

    // Moves characters to `out` up to (not including) the next `stop`; false when none is left.
    bool moveUntil(char stop, std::string& out) {
        if (!inserted_.empty()) {
            const std::size_t found = inserted_.rfind(stop);
            const std::size_t keep = found == std::string::npos ? 0 : found + 1;
            out.append(inserted_.rbegin(), inserted_.rend() - static_cast<std::ptrdiff_t>(keep));
            inserted_.resize(keep);
            if (found != std::string::npos) return true;
        }
        const std::size_t found = input_.find(stop, at_);
        const std::size_t until = found == std::string_view::npos ? input_.size() : found;
        out.append(input_.data() + at_, until - at_);
        at_ = until;
        return found != std::string_view::npos;
    }

    void pushFront(std::string_view value, bool quoted) {
        if (quoted) inserted_.push_back('"');
        inserted_.append(value.rbegin(), value.rend());
        if (quoted) inserted_.push_back('"');
    }

    void appendRestTo(std::string& out) const {
        out.append(inserted_.rbegin(), inserted_.rend());
        out.append(input_.substr(at_));
    }

private:
    std::string inserted_;
    std::string_view input_;
    std::size_t at_ = 0;
};

}  // namespace

std::string expandReferences(std::string_view text, bool quoted, const VariableLookup& lookup) {
    if (text.find('$') == std::string_view::npos) return std::string(text);

    const std::size_t lengthLimit = std::max(kMaxExpandedLength, text.size());
    std::string out;
    out.reserve(text.size());
    PendingText rest(text);
    std::string name;
    std::string value;
    std::size_t substitutions = 0;
    bool opened = false;  // the opening dollar has already been taken from `rest`

    for (;;) {
        if (!opened) {
            if (!rest.moveUntil('$', out)) break;
            rest.drop();  // the opening dollar
        }
        name.clear();
        if (!rest.moveUntil('$', name)) {  // no closing dollar: the rest is plain text
            out.push_back('$');
            out += name;
            break;
        }
        if (!name.empty() && substitutions < kMaxSubstitutions && lookup(name, value)) {
            const std::size_t inserted = value.size() + (quoted ? 2 : 0);
            // Length once the reference (name and two dollars) is replaced by the value.
            const std::size_t after = out.size() + rest.size() - 1 + inserted;
            if (after > lengthLimit) {
                out.push_back('$');
                out += name;
                rest.appendRestTo(out);
                return out;
            }
            rest.drop();  // the closing dollar
            rest.pushFront(value, quoted);
            ++substitutions;
            opened = false;
            continue;
        }
        if (!name.empty() && substitutions >= kMaxSubstitutions) {
            out.push_back('$');
            out += name;
            rest.appendRestTo(out);
            return out;
        }
        // Not a variable: the closing dollar opens the next reference.
        out.push_back('$');
        out += name;
        rest.drop();
        opened = true;
    }
    return out;
}

namespace {

// Replaces every occurrence of `pattern` (ASCII case ignored) in `text`, left to right, without
// searching the replacement again.
std::string replaceAllIgnoreCase(const std::string& text, const std::string& pattern, const std::string& value) {
    if (pattern.empty() || text.size() < pattern.size()) return text;
    std::string out;
    std::size_t i = 0;
    const std::size_t last = text.size() - pattern.size();
    const char first = upperAscii(pattern[0]);
    std::size_t copiedUpTo = 0;
    bool changed = false;
    while (i <= last) {
        if (upperAscii(text[i]) == first &&
            NameEqual{}(std::string_view(text).substr(i, pattern.size()), pattern)) {
            if (!changed) {
                out.reserve(text.size());
                changed = true;
            }
            out.append(text, copiedUpTo, i - copiedUpTo);
            out += value;
            i += pattern.size();
            copiedUpTo = i;
        } else {
            ++i;
        }
    }
    if (!changed) return text;
    out.append(text, copiedUpTo, std::string::npos);
    return out;
}

}  // namespace

std::string expandConstantsIn(std::string_view text, const std::vector<std::string>& constants) {
    if (text.find('#') == std::string_view::npos) return std::string(text);
    const std::size_t lengthLimit = std::max(kMaxExpandedLength, text.size());
    std::string current(text);
    for (int pass = 0; pass < kMaxConstantPasses; ++pass) {
        std::string result = current;
        for (std::size_t i = 0; i + 1 < constants.size(); i += 2) {
            if (result.find('#') == std::string::npos) break;
            result = replaceAllIgnoreCase(result, "#" + constants[i] + "#", constants[i + 1]);
            if (result.size() > lengthLimit) return result;
        }
        if (result.find('#') == std::string::npos || result == current) return result;
        current = std::move(result);
    }
    return current;
}

}  // namespace qs
