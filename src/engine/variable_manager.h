// The variable store: the one table of named text variables that the script, the pages and
// the worker threads share.
//
// Names compare ignoring the case of the ASCII letters only, so the result never depends on
// the user's locale. A missing variable and a variable with an empty value are different
// states. The table keeps its variables in the order they were first added ("table order",
// used by dump); overwriting a value keeps the position and the first spelling of the name.
//
// Thread safety: every operation takes the store's one lock for its own duration and releases
// it before returning. expand() takes the lock once per reference lookup, never for the whole
// scan, so a long expansion does not hold up a worker thread. Nothing is called out while the
// lock is held.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "name_index.h"

namespace qs {

class TVariableManager {
public:
    TVariableManager() = default;
    TVariableManager(const TVariableManager&) = delete;
    TVariableManager& operator=(const TVariableManager&) = delete;

    // Inserts the variable or overwrites its value. add and set are the same operation; both
    // names are kept because callers read better with one or the other.
    void add(std::string_view name, std::string_view value);
    void set(std::string_view name, std::string_view value) { add(name, value); }
    // Inserts the variable only when it is missing; true when it was inserted. One locked step,
    // so two threads declaring the same name cannot both insert.
    bool addIfMissing(std::string_view name, std::string_view value);
    void clear();

    bool exists(std::string_view name) const;
    // The value, or an empty text when the variable does not exist (nothing is created).
    std::string get(std::string_view name) const;
    // The value, or nothing when the variable does not exist.
    std::optional<std::string> find(std::string_view name) const;
    std::size_t size() const;

    // Clears `list`, then appends name and value of every variable, in table order, as two
    // separate entries.
    void dump(std::vector<std::string>& list) const;

    // The text with its $NAME$ references replaced (expansion.h has the rules and bounds).
    std::string expand(std::string_view text) const;
    // As expand, with every inserted value between double quotes.
    std::string expandQuoted(std::string_view text) const;

private:
    bool lookup(std::string_view name, std::string& value) const;

    struct Variable {
        std::string name;
        std::string value;
    };
    mutable std::mutex lock_;
    std::vector<Variable> table_;                                             // table order
    std::unordered_map<std::string, std::size_t, NameHash, NameEqual> index_;  // name -> table_
};

}  // namespace qs
