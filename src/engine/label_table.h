// The label table: every "Label" line of the script by its upper-cased name, so "GoTo Label"
// finds its target with one hash probe. Disabled labels are in it too.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "name_index.h"

namespace qs {

class ScriptModel;

class LabelTable {
public:
    void clear() {
        lines_.clear();
        entries_.clear();
    }
    // Adds the label unless its name (ASCII case ignored) is already there; false when it was.
    bool add(std::string_view name, std::size_t line) {
        std::string upper = toUpperAscii(name);
        if (!lines_.emplace(upper, line).second) return false;
        entries_.push_back(std::move(upper));
        entries_.push_back(std::to_string(line));
        return true;
    }
    bool contains(std::string_view name) const { return lines_.find(name) != lines_.end(); }
    // The line index of the label, or nothing when the script has no such label.
    std::optional<std::size_t> find(std::string_view name) const {
        auto it = lines_.find(name);
        if (it == lines_.end()) return std::nullopt;
        return it->second;
    }
    // The table as a list of pairs: upper-cased name, decimal line index.
    const std::vector<std::string>& entries() const { return entries_; }

private:
    std::unordered_map<std::string, std::size_t, NameHash, NameEqual> lines_;
    std::vector<std::string> entries_;
};

// Rebuilds the table from every "Label" line, disabled or not; the name is parameter 1. A
// repeated name keeps its first line (the compile pass has already rejected such a script).
void buildLabelTable(const ScriptModel& script, LabelTable& labels);

}  // namespace qs
