// Case-insensitive hashing and comparison of names, independent of the user's locale: only the
// ASCII letters a to z fold, every other byte compares as itself. Used for the variable store
// and the script's lookup indexes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text_case.h"

namespace qs {


// FNV-1a over the upper-cased bytes. Transparent, so a std::string_view finds a std::string key
// without a copy.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
        std::uint64_t h = 1469598103934665603ull;
        for (char c : s) {
            h ^= static_cast<unsigned char>(upperAscii(c));
            h *= 1099511628211ull;
        }
        return static_cast<std::size_t>(h ^ (h >> 32));
    }
};

struct NameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (upperAscii(a[i]) != upperAscii(b[i]))
                return false;
        return true;
    }
};

// Text -> position of its first occurrence (ASCII case ignored) in a list of texts that the
// index does not own: the list must outlive the index and stay unchanged.
//
// An open-addressing table of (hash, position) slots: a probe touches one slot and compares
// the list entry only when the hash matches, so lookups stay cheap on lists of hundreds of
// thousands of entries.
class FirstPositionIndex {
public:
    FirstPositionIndex() = default;
    explicit FirstPositionIndex(const std::vector<std::string>& list) { build(list, 0, 1); }
    // Indexes only the entries at positions first, first + step, first + 2 * step, ...
    FirstPositionIndex(const std::vector<std::string>& list, std::size_t first, std::size_t step) {
        build(list, first, step);
    }
    // Indexes every entry and sets firstOf[p] to the position of the first entry equal to
    // entry p (p itself for a first occurrence).
    FirstPositionIndex(const std::vector<std::string>& list, std::vector<std::uint32_t>& firstOf) {
        firstOf.assign(list.size(), 0);
        build(list, 0, 1, &firstOf);
    }

    // The position of the first entry equal to `text`, or npos.
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    std::size_t find(std::string_view text) const {
        if (slots_.empty()) return npos;
        const std::uint32_t h = hashOf(text);
        for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (s.position == kEmpty) return npos;
            if (s.hash == h && NameEqual{}((*list_)[s.position], text)) return s.position;
        }
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t position = kEmpty;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    static std::uint32_t hashOf(std::string_view text) {
        const std::uint64_t h = NameHash{}(text);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }

    void build(const std::vector<std::string>& list, std::size_t first, std::size_t step,
               std::vector<std::uint32_t>* firstOf = nullptr) {
        list_ = &list;
        const std::size_t count = list.size() > first ? (list.size() - first + step - 1) / step : 0;
        std::size_t capacity = 16;
        while (capacity < 2 * count) capacity *= 2;
        slots_.assign(capacity, Slot{});
        mask_ = capacity - 1;
        for (std::size_t p = first; p < list.size(); p += step) {
            const std::uint32_t h = hashOf(list[p]);
            for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
                Slot& s = slots_[i];
                if (s.position == kEmpty) {
                    s = {h, static_cast<std::uint32_t>(p)};
                    if (firstOf) (*firstOf)[p] = static_cast<std::uint32_t>(p);
                    break;
                }
                if (s.hash == h && NameEqual{}(list[s.position], list[p])) {  // keep the first
                    if (firstOf) (*firstOf)[p] = s.position;
                    break;
                }
            }
        }
    }

    const std::vector<std::string>* list_ = nullptr;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};


}  // namespace qs
