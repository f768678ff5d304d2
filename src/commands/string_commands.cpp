#include "commands/string_commands.h"

#include <algorithm>

#include "commands/parameters.h"
#include "engine/engine.h"
#include "engine/engine_error.h"
#include "engine/integer_text.h"
#include "engine/text_case.h"
#include "engine/variables.h"
#include "installer/installer_platform.h"

namespace qs::commands {
namespace {

constexpr std::string_view kSaveMarker = "$KYRU$KYRU$";

// Everything up to and including the last backslash or drive colon; empty when neither occurs.
std::string folderPart(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string fileNamePart(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The extension with its dot: from the last dot of the file name; empty when it has none.
std::string extensionPart(const std::string& path) {
    const std::size_t cut = path.find_last_of(".\\:");
    return (cut == std::string::npos || path[cut] != '.') ? std::string() : path.substr(cut);
}

// "C:" for a drive letter, "\\server\share" for a network path, else empty.
std::string drivePart(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const std::size_t server = path.find('\\', 2);
        if (server == std::string::npos) return path;
        const std::size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path : path.substr(0, share);
    }
    return std::string();
}

std::string withTrailingBackslash(std::string text) {
    if (!text.empty() && text.back() != '\\') text += '\\';
    return text;
}

std::string withoutTrailingBackslash(std::string text) {
    if (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

std::string foldDoubledBackslashes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
    }
    return out;
}

// Leading and trailing blanks and control characters removed.
std::string trimmed(const std::string& text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t first = 0, last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// Substring from 1-based `start` (below 1 counts as 1) of `length` characters (0 or less: empty).
std::string copyText(const std::string& text, std::int64_t start, std::int64_t length) {
    if (start < 1) start = 1;
    if (length <= 0 || start > static_cast<std::int64_t>(text.size())) return std::string();
    return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length));
}

// 1-based position of the first `what` in `text`; 0 when it does not occur
// (an empty `what` never occurs).
std::int64_t positionOf(const std::string& what, const std::string& text) {
    if (what.empty()) return 0;
    const std::size_t at = text.find(what);
    return at == std::string::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

}  // namespace

void updateProgressDisplay(Engine& engine, const ProgressUpdate& update) {
    if (engine.commands.progressDisplay) engine.commands.progressDisplay(update);
}

void setVariableCommand(Engine& engine, int line) {
    static constexpr std::string_view kCommand = "Set Variable";
    const std::string value = localizableParameter(engine, line, 2, 1);

    std::string written = nameParameter(engine, line, 1);
    bool save = false;
    if (const std::size_t marker = written.find(kSaveMarker); marker != std::string::npos) {
        save = written.substr(marker + kSaveMarker.size()) == "TRUE";
        written.erase(marker);
    }
    std::string name(referenceName(written));
    if (name.empty()) name = written;

    const std::string context = actionContext(kCommand);
    if (!engine.variables.exists(name)) declareVariable(engine, toUpperAscii(name), "", context);
    assignVariable(engine, name, value, context);

    auto& saved = engine.commands.savedVariables;
    if (save && std::none_of(saved.begin(), saved.end(), [&](const std::string& s) { return equalsIgnoreCase(s, name); }))
        saved.push_back(name);

    if (equalsIgnoreCase(name, "ABORT")) assignVariable(engine, "KYRU_IsCancelled", value, "Set Variable Tricke");

    if (equalsIgnoreCase(name, "PROGRESS") || equalsIgnoreCase(name, "PROGRESSTEXT")) {
        // The progress page refreshes only while a worker is marked active.
        struct ActiveWorker {
            bool& flag;
            explicit ActiveWorker(bool& f) : flag(f) { flag = true; }
            ~ActiveWorker() { flag = false; }
        } active(engine.commands.activeWorker);
        const std::string progressText = getVariable(engine, "PROGRESS");
        const auto position = parseInt32(progressText);
        if (!position) throw EngineError(notAnIntegerMessage(progressText));
        updateProgressDisplay(engine, ProgressUpdate{getVariable(engine, "PROGRESSTEXT"), false, 0, 100, *position});
    }
}

void getTemporaryFileCommand(Engine& engine, int line) {
    const std::string name = nameReferenceParameter(engine, line, 1);
    std::optional<std::string> created;
    {
        installer::RedirectionScope redirection(engine);
        created = engine.platform.files.createTemporaryFile(engine.temporaryFolder, "yib");
    }
    // A script that went on with an empty name would write its data somewhere unintended.
    if (!created) throw EngineError("Unable to create a temporary file in " + engine.temporaryFolder);
    storeResult(engine, name, *created, "Get Temporary File");
}

std::string longPathForm(platform::FileSystem& files, std::string path) {
    path.erase(std::remove(path.begin(), path.end(), '"'), path.end());
    path = withoutTrailingBackslash(std::move(path));
    const std::string folder = folderPart(path);
    if (folder == path) return path;
    const std::string convertedFolder = longPathForm(files, folder);
    const auto stored = files.storedName(path);
    if (!stored) return path;
    // A relative name ("a", "C:a") must stay relative: only a folder that ended with a
    // backslash gets one back between it and the name.
    return convertedFolder + (folder.back() == '\\' ? "\\" : "") + *stored;
}

void convertPathCommand(Engine& engine, int line) {
    const std::string name = nameParameter(engine, line, 1);
    const bool shortForm = boolParameter(engine, line, 2);
    std::string result;
    {
        installer::RedirectionScope redirection(engine);
        const std::string path = expandPath(engine, getVariable(engine, name));
        result = shortForm ? engine.platform.files.shortPathName(path).value_or(path)
                           : longPathForm(engine.platform.files, path);
    }
    storeResult(engine, name, result, "Convert Path");
}

void convertCaseCommand(Engine& engine, int line) {
    const std::string name = nameParameter(engine, line, 1);
    const bool upper = boolParameter(engine, line, 2);
    const std::string value = expandPath(engine, getVariable(engine, name));
    auto& encoding = engine.platform.encoding;
    storeResult(engine, name, upper ? encoding.upperCase(value) : encoding.lowerCase(value), "Convert Case");
}

std::string replaceText(const std::string& value, const std::string& find, const std::string& replacement,
                        bool replaceAll, const std::function<std::string(const std::string&)>& upperCase) {
    if (value.empty() || find.empty() || find.size() > value.size()) return value;
    const std::string searchIn = upperCase ? upperCase(value) : value;
    const std::string searchFor = upperCase ? upperCase(find) : find;
    std::string out;
    std::size_t from = 0;
    while (from <= searchIn.size()) {
        const std::size_t at = searchIn.find(searchFor, from);
        if (at == std::string::npos) break;
        out.append(value, from, at - from);
        out += replacement;
        from = at + find.size();
        if (!replaceAll) break;
    }
    if (from < value.size()) out.append(value, from, std::string::npos);
    return out;
}

void replaceStringCommand(Engine& engine, int line) {
    const std::string name = nameReferenceParameter(engine, line, 1);
    const std::string find = newlinesToText(textParameter(engine, line, 2));
    const std::string replacement = newlinesToText(textParameter(engine, line, 3));
    const bool ignoreCase = boolParameter(engine, line, 4);
    const bool replaceAll = boolParameter(engine, line, 5);
    const std::string value = newlinesToText(engine.variables.get(name));

    std::function<std::string(const std::string&)> upper;
    if (ignoreCase) upper = [&engine](const std::string& t) { return engine.platform.encoding.upperCase(t); };
    storeResult(engine, toUpperAscii(name), replaceText(value, find, replacement, replaceAll, upper), "Replace String");
}

std::string extractPathPart(const std::string& path, std::int32_t code) {
    switch (code) {
    case 0:
        return fileNamePart(path);
    case 1: {
        // The extension is cut from the end, where it stands; an earlier copy of the same
        // text inside the name ("x.gzip.gz") stays.
        const std::string name = fileNamePart(path);
        return name.substr(0, name.size() - extensionPart(name).size());
    }
    case 2: {
        const std::string extension = extensionPart(path);
        return extension.empty() ? extension : extension.substr(1);
    }
    case 3:
        return withTrailingBackslash(folderPart(path));
    case 4:
        return withTrailingBackslash(folderPart(withoutTrailingBackslash(folderPart(path))));
    case 5:
        return withTrailingBackslash(drivePart(path));
    case 6:
        return foldDoubledBackslashes(path);
    default:
        return path;
    }
}

void extractPathCommand(Engine& engine, int line) {
    const std::string name = nameParameter(engine, line, 1);
    const std::int32_t code = numberParameter(engine, line, 2);
    const std::string value = expandPath(engine, getVariable(engine, name));
    storeResult(engine, name, extractPathPart(value, code), "Extract Path");
}

void parseStringCommand(Engine& engine, int line) {
    static constexpr std::string_view kCommand = "Parse String";
    const std::string leftName = nameParameter(engine, line, 3);
    const std::string rightName = nameParameter(engine, line, 4);
    ensureResultVariable(engine, leftName);
    ensureResultVariable(engine, rightName);

    const std::string text = pathParameter(engine, line, 1);
    const std::string delimiter = pathParameter(engine, line, 2);
    const std::int32_t mode = numberParameter(engine, line, 5);
    const bool trim = boolParameter(engine, line, 6);
    const bool ignoreCase = boolParameter(engine, line, 7);

    std::string s = text, d = delimiter;
    if (ignoreCase) {
        s = engine.platform.encoding.lowerCase(s);
        d = engine.platform.encoding.lowerCase(d);
    }
    const auto length = static_cast<std::int64_t>(s.size());
    std::int64_t p = 0, skipBefore = 1, skipAfter = 1;
    switch (mode) {
    case 0:
        skipAfter = static_cast<std::int64_t>(d.size());
        p = positionOf(d, s);
        if (p == 0) p = length + 1;
        break;
    case 1:
        skipAfter = static_cast<std::int64_t>(d.size());
        // The start of the last occurrence (the first hit of forward searches starting at the
        // end and moving left), found in one backward search.
        if (!d.empty()) {
            const std::size_t at = s.rfind(d);
            if (at != std::string::npos) p = static_cast<std::int64_t>(at) + 1;
        }
        if (p == 0) {
            p = 1;
            skipAfter = 0;
        }
        break;
    case 2:
    case 3: {
        const auto count = parseInt32(d);
        if (!count) break;
        skipBefore = 0;
        p = mode == 2 ? *count : length - *count;
        if (mode == 2 && *count == 0) {
            p = 1;
            skipBefore = 1;
            skipAfter = -1;
        }
        break;
    }
    default:
        break;
    }

    std::string left, right;
    if (p != 0) {
        left = copyText(text, 1, p - skipBefore);
        right = copyText(text, p + skipAfter, static_cast<std::int64_t>(text.size()));
    }
    if (trim) {
        left = trimmed(left);
        right = trimmed(right);
    }
    if (!leftName.empty()) storeResult(engine, leftName, left, kCommand);
    if (!rightName.empty()) storeResult(engine, rightName, right, kCommand);
}

}  // namespace qs::commands
