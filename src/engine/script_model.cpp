#include "script_model.h"

#include <charconv>

#include "engine_error.h"
#include "variables.h"

namespace qs {
namespace {

const std::string kEmpty;

}  // namespace

ScriptModel::ScriptModel(const GlobalLists& lists)
    : lists_(&lists), lineByKey_(lists.lineKeyList, firstLineOf_) {
    addParameterList(lists.parameterList);
    // Only the index entries of the (header, index) pairs are indexed: a header that happens
    // to read like a decimal number must not be taken for a line index.
    headerByLine_ = FirstPositionIndex(lists.commandHeaders, 1, 2);
}

void ScriptModel::addParameterList(const std::vector<std::string>& parameters) {
    const std::size_t lines = lineCount();
    ParameterList list{&parameters, std::vector<std::uint32_t>(lines, kNoBlock)};
    // Entries of a length no line key has cannot be keys: most parameters are skipped without
    // a probe into the key table.
    std::vector<bool> keyLength;
    for (std::size_t line = 0; line < lines; ++line) {
        const std::size_t length = lineKey(line).size();
        if (length >= keyLength.size()) keyLength.resize(length + 1);
        keyLength[length] = true;
    }
    // One pass over the list records the first occurrence of each key under the first line
    // that has it; lines that repeat a key then share that line's block. Blocks usually follow
    // the line order, so the next few lines' keys are tried before the hash table: a match
    // there gives the same line as the table would, at the cost of a sequential read.
    constexpr std::size_t kLookAhead = 8;
    std::size_t expected = 0;
    for (std::size_t p = 0; p < parameters.size(); ++p) {
        const std::string& entry = parameters[p];
        // An empty line key marks no block, so an empty entry is never a block start.
        if (entry.empty() || entry.size() >= keyLength.size() || !keyLength[entry.size()]) continue;
        std::size_t line = FirstPositionIndex::npos;
        for (std::size_t c = expected; c < lines && c < expected + kLookAhead; ++c) {
            if (NameEqual{}(lineKey(c), entry)) {
                line = firstLineOf_[c];
                expected = c + 1;
                break;
            }
        }
        if (line == FirstPositionIndex::npos) {
            line = lineByKey_.find(entry);
            if (line == FirstPositionIndex::npos) continue;
            expected = line + 1;
        }
        if (line < lines && list.blockStart[line] == kNoBlock) list.blockStart[line] = static_cast<std::uint32_t>(p);
    }
    for (std::size_t line = 0; line < lines && line < firstLineOf_.size(); ++line)
        if (firstLineOf_[line] != line) list.blockStart[line] = list.blockStart[firstLineOf_[line]];
    parameterLists_.push_back(std::move(list));
}

std::size_t ScriptModel::lineCount() const { return lists_ ? lists_->commandList.size() : 0; }

const std::string& ScriptModel::entryAt(const std::vector<std::string>* list, std::size_t index) {
    return list && index < list->size() ? (*list)[index] : kEmpty;
}

const std::string& ScriptModel::lineCommand(std::size_t index) const {
    return entryAt(lists_ ? &lists_->commandList : nullptr, index);
}
const std::string& ScriptModel::lineKey(std::size_t index) const {
    return entryAt(lists_ ? &lists_->lineKeyList : nullptr, index);
}
bool ScriptModel::isDisabled(std::size_t index) const {
    return entryAt(lists_ ? &lists_->disabledList : nullptr, index) == "C";
}
const std::string& ScriptModel::mediaPath(std::size_t index) const {
    return entryAt(lists_ ? &lists_->mediaPathList : nullptr, index);
}
const std::string& ScriptModel::sourcePositionText(std::size_t index) const {
    return entryAt(lists_ ? &lists_->sourcePositions : nullptr, index);
}

SourcePosition ScriptModel::sourcePosition(std::size_t index) const {
    const std::string& text = sourcePositionText(index);
    SourcePosition position;
    const std::size_t star = text.rfind('*');
    if (star == std::string::npos) {
        position.file = text;
        return position;
    }
    position.file = text.substr(0, star);
    int line = 0;
    const char* first = text.data() + star + 1;
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(first, last, line);
    if (error == std::errc() && end == last && first != last) position.line = line;
    return position;
}

const std::string& ScriptModel::parameterAt(const ParameterList& list, std::size_t keyAt, std::size_t n) const {
    const std::size_t size = list.entries->size();
    if (n >= size || keyAt + n >= size)
        throw EngineError("List index out of bounds (" + std::to_string(keyAt + n) + ")");
    return (*list.entries)[keyAt + n];
}

const std::string& ScriptModel::parameter(std::string_view lineKey, std::size_t n) const {
    if (lineKey.empty()) return kEmpty;  // no block; an empty parameter entry must not be taken for it
    const std::size_t line = lineByKey_.find(lineKey);
    if (line != FirstPositionIndex::npos) return lineParameter(line, n);
    for (const ParameterList& list : parameterLists_) {
        const auto& entries = *list.entries;
        for (std::size_t p = 0; p < entries.size(); ++p)
            if (NameEqual{}(entries[p], lineKey)) return parameterAt(list, p, n);
    }
    return kEmpty;
}

const std::string& ScriptModel::lineParameter(std::size_t index, std::size_t n) const {
    if (index >= lineCount() || lineKey(index).empty()) return kEmpty;
    for (const ParameterList& list : parameterLists_)
        if (list.blockStart[index] != kNoBlock) return parameterAt(list, list.blockStart[index], n);
    return kEmpty;
}

std::string ScriptModel::commandHeader(std::size_t index, bool suppressFailure) const {
    const std::size_t found = headerByLine_.find(std::to_string(index));
    if (found != FirstPositionIndex::npos) return lists_->commandHeaders[found - 1];
    if (suppressFailure) return {};
    throw EngineError(std::string(kCommandHeaderMissing));
}

bool isVariableReferenceDefined(const TVariableManager& store, std::string_view reference, bool literalAllowed) {
    if (literalAllowed && !isEnclosedReference(reference)) return true;
    return store.exists(referenceName(reference));
}

}  // namespace qs
