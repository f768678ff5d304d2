// The global lists: the compiled setup script that is appended to the engine as text.
//
// The appended data are ANSI text lines (CR LF). They form twelve groups in a fixed order,
// each ended by a line that is exactly "$". A group holds one list, or one to six single
// values followed by a list that takes the rest of the group. Groups 0, 1, 3, 6 and the list
// of group 11 hold one entry per script line, so a zero-based line index addresses all of them.
//
// This is the plain reader: it keeps every list as read (the parameter list unescaped, see
// readGlobalLists). Case-insensitive lookup belongs to the script model built on top.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

struct GlobalLists {
    // group 0..3
    std::vector<std::string> commandList;    // one command name per script line
    std::vector<std::string> lineKeyList;    // one GUID in braces per script line
    std::vector<std::string> parameterList;  // per line with parameters: its key, then its parameters
    std::vector<std::string> disabledList;   // per script line: "C" when commented out, else empty
    // group 4
    std::string productCode;
    std::string productTitle;
    std::vector<std::string> pluginList;
    // group 5
    std::string company;
    std::string contact;
    std::string helpLink;
    std::string updateInfoLink;
    std::string comments;
    std::string productVersion;
    std::vector<std::string> blockPasswords;  // pairs: web media block name, scrambled password
    // group 6
    std::vector<std::string> mediaPathList;   // per script line: media sub-folder or empty
    // group 7
    int buildMode = 0;                         // 2 web build, 3 patch build
    std::vector<std::string> componentSizes;  // pairs: component name, size in bytes
    // group 8
    std::string packageCode;
    std::vector<std::string> mediaFileMap;    // triples: archive base name, path inside, destination
    // group 9
    bool languageDialog = false;              // on only when the line is exactly "TRUE"
    std::string defaultLanguage;
    std::vector<std::string> commandHeaders;  // pairs: header (hex), decimal line index
    // group 10
    std::vector<std::string> constants;       // pairs: constant name, value
    // group 11
    int codePage = 0;
    std::vector<std::string> sourcePositions; // per script line: source path + "*" + zero-based line
};

// Number of groups and the line that ends each of them.
inline constexpr int kGlobalListGroups = 12;
inline constexpr std::string_view kGroupTerminator = "$";

// Reads the appended text. Lines end at CR LF; a lone LF or CR also ends a line and the last
// line may lack its line break. When the text ends inside a group, that group ends there and
// every later group stays empty (single values keep their defaults).
//
// After reading, every parameter-list entry that equals "$WILD_DOLLAR$" and then every entry
// that equals "$DOLLAR$" (whole entries, case-insensitive) becomes "$": that is how a parameter
// consisting of a single dollar sign is carried without ending the list. No other list is
// unescaped.
//
// Throws GlobalListsError when a number line (build mode, code page) is not a decimal integer.
GlobalLists readGlobalLists(std::string_view text);

// Replaces the escaped dollar entries of a parameter list in place (see readGlobalLists).
void unescapeParameterList(std::vector<std::string>& parameters);

// Damaged script data; start-up reports it like any error while reading the package.
struct GlobalListsError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace qs
