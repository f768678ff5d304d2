// Reader of the appended script data (see global_lists.h).
#include "bootstrap/global_lists.h"

#include <climits>

#include "engine/text_case.h"

namespace qs {

namespace {

// Hands out the text's lines one by one.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // False at the end of the text; a final line without line break still counts.
    bool next(std::string& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = pos_;
        while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
        line.assign(text_.substr(pos_, end - pos_));
        if (end < text_.size()) {
            // CR LF is one line break; a lone CR or LF is one too.
            if (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') ++end;
            ++end;
        }
        pos_ = end;
        return true;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// One group's lines: its single values (as many as were there) and the rest.
struct Group {
    std::vector<std::string> singles;
    std::vector<std::string> rest;
};

// Reads one group with `singleCount` leading single values. Returns false when the text ended
// before the group's terminator: the group keeps what it got and reading stops.
bool readGroup(LineReader& reader, size_t singleCount, Group& group) {
    std::string line;
    while (reader.next(line)) {
        if (line == kGroupTerminator) return true;
        if (group.singles.size() < singleCount)
            group.singles.push_back(std::move(line));
        else
            group.rest.push_back(std::move(line));
        line.clear();
    }
    return false;
}

std::string single(const Group& g, size_t i) { return i < g.singles.size() ? g.singles[i] : std::string(); }

int parseNumber(const Group& g, size_t i, const char* what) {
    if (i >= g.singles.size()) return 0;  // the group ended before this value
    std::string_view s = g.singles[i];
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) throw GlobalListsError(std::string("Invalid ") + what + ": '" + g.singles[i] + "'");
    long long value = 0;
    for (char c : s) {
        if (c < '0' || c > '9' || value > INT_MAX)
            throw GlobalListsError(std::string("Invalid ") + what + ": '" + g.singles[i] + "'");
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN)
        throw GlobalListsError(std::string("Invalid ") + what + ": '" + g.singles[i] + "'");
    return static_cast<int>(value);
}

}  // namespace

void unescapeParameterList(std::vector<std::string>& parameters) {
    for (std::string& p : parameters)
        if (equalsIgnoreCase(p, "$WILD_DOLLAR$")) p = "$";
    for (std::string& p : parameters)
        if (equalsIgnoreCase(p, "$DOLLAR$")) p = "$";
}

GlobalLists readGlobalLists(std::string_view text) {
    // Single values per group, in file order.
    static constexpr size_t kSingles[kGlobalListGroups] = {0, 0, 0, 0, 2, 6, 0, 1, 1, 2, 0, 1};

    LineReader reader(text);
    Group groups[kGlobalListGroups];
    for (int g = 0; g < kGlobalListGroups; ++g) {
        if (!readGroup(reader, kSingles[g], groups[g])) break;  // truncated: later groups stay empty
    }

    GlobalLists lists;
    lists.commandList = std::move(groups[0].rest);
    lists.lineKeyList = std::move(groups[1].rest);
    lists.parameterList = std::move(groups[2].rest);
    unescapeParameterList(lists.parameterList);
    lists.disabledList = std::move(groups[3].rest);

    lists.productCode = single(groups[4], 0);
    lists.productTitle = single(groups[4], 1);
    lists.pluginList = std::move(groups[4].rest);

    lists.company = single(groups[5], 0);
    lists.contact = single(groups[5], 1);
    lists.helpLink = single(groups[5], 2);
    lists.updateInfoLink = single(groups[5], 3);
    lists.comments = single(groups[5], 4);
    lists.productVersion = single(groups[5], 5);
    lists.blockPasswords = std::move(groups[5].rest);

    lists.mediaPathList = std::move(groups[6].rest);

    lists.buildMode = parseNumber(groups[7], 0, "build mode");
    lists.componentSizes = std::move(groups[7].rest);

    lists.packageCode = single(groups[8], 0);
    lists.mediaFileMap = std::move(groups[8].rest);

    lists.languageDialog = single(groups[9], 0) == "TRUE";
    lists.defaultLanguage = single(groups[9], 1);
    lists.commandHeaders = std::move(groups[9].rest);

    lists.constants = std::move(groups[10].rest);

    lists.codePage = parseNumber(groups[11], 0, "code page");
    lists.sourcePositions = std::move(groups[11].rest);
    return lists;
}

}  // namespace qs
