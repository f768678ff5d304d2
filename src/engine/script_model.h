// The setup script in memory: lines addressed by their zero-based index across the parallel
// lists of the package, and the parameter blocks found by line key.
//
// The model reads the package's lists in place and builds its case-insensitive indexes once:
// the line keys, and for every parameter list the position of each line key's first
// occurrence in it (one pass over the list). A parameter or command-header lookup then costs
// one hash probe instead of a scan. The lists must outlive the model and must not change while
// it is in use.
//
// Parameter n of a line: the line's key is searched in the parameter lists in order; in the
// first list that holds it (first occurrence, ASCII case ignored) the result is the entry n
// places after the key. Parameter 0 is the key itself. A line whose key is in no list has
// only empty parameters. Nothing marks the end of a block: a position past the end of the list
// is a fault of the package and throws EngineError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bootstrap/global_lists.h"
#include "name_index.h"
#include "variable_manager.h"

namespace qs {

inline constexpr std::string_view kCommandHeaderMissing =
    "Unable to obtain command headers. Please rebuild your project.";

struct SourcePosition {
    std::string file;  // the source file path as carried in the package
    int line = -1;     // zero-based line in that file; -1 when the entry has no number
};

class ScriptModel {
public:
    ScriptModel() = default;
    // A model of the package's script; its only parameter list is the package's.
    explicit ScriptModel(const GlobalLists& lists);
    ScriptModel(ScriptModel&&) noexcept = default;
    ScriptModel& operator=(ScriptModel&&) noexcept = default;

    // Appends a further parameter list, searched after the ones already present (same
    // lifetime rule as the package's lists).
    void addParameterList(const std::vector<std::string>& parameters);

    std::size_t lineCount() const;

    // Parts of line `index`; empty texts (and false) for an index outside the script.
    const std::string& lineCommand(std::size_t index) const;
    const std::string& lineKey(std::size_t index) const;
    bool isDisabled(std::size_t index) const;  // the disabled entry is exactly "C"
    const std::string& mediaPath(std::size_t index) const;
    const std::string& sourcePositionText(std::size_t index) const;  // path + "*" + line
    SourcePosition sourcePosition(std::size_t index) const;

    // Parameter n of the line with key `lineKey` (see above). Throws EngineError when the
    // position lies past the end of the list that holds the key. A key that belongs to no
    // script line is not indexed and is searched for entry by entry.
    // The reference stays valid as long as the lists do.
    const std::string& parameter(std::string_view lineKey, std::size_t n) const;
    // Parameter n of line `index`.
    const std::string& lineParameter(std::size_t index, std::size_t n) const;

    // The command header of line `index`: in the header list of pairs (header, decimal line
    // index), the header of the first pair whose index text equals `index`. When there is
    // none, throws EngineError with kCommandHeaderMissing, or returns an empty text when
    // `suppressFailure` is set.
    std::string commandHeader(std::size_t index, bool suppressFailure = false) const;

private:
    static constexpr std::uint32_t kNoBlock = 0xFFFFFFFFu;
    struct ParameterList {
        const std::vector<std::string>* entries = nullptr;
        // Per script line: where the line's key first occurs in the list, or kNoBlock.
        std::vector<std::uint32_t> blockStart;
    };
    static const std::string& entryAt(const std::vector<std::string>* list, std::size_t index);
    const std::string& parameterAt(const ParameterList& list, std::size_t keyAt, std::size_t n) const;

    const GlobalLists* lists_ = nullptr;
    std::vector<std::uint32_t> firstLineOf_;  // per line: the first line with the same key
    FirstPositionIndex lineByKey_;             // line key -> first line with that key
    std::vector<ParameterList> parameterLists_;
    FirstPositionIndex headerByLine_;  // line index texts of the header list -> their position
};

// IsVariableReferenceDefined. With `literalAllowed`, a text that is not of the form $NAME$
// counts as defined (it is a plain value), and $NAME$ is defined when variable NAME exists.
// Without it, the variable the reference denotes (NAME, or the NAME of $NAME$) must exist.
bool isVariableReferenceDefined(const TVariableManager& store, std::string_view reference, bool literalAllowed);

}  // namespace qs
