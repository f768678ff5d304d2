#include "commands/text_file_commands.h"

#include "commands/parameters.h"
#include "engine/engine.h"
#include "engine/text_case.h"
#include "engine/variables.h"
#include "installer/installer_platform.h"

namespace qs::commands {
namespace {

constexpr std::string_view kReadAllPrefix = "#READALL\\";
constexpr std::string_view kNewlineText = "$NEWLINE$";

// The line that starts at `position`, without its break; `position` moves past the break.
std::string nextLine(const std::string& content, std::size_t& position) {
    const std::size_t end = content.find_first_of("\r\n", position);
    if (end == std::string::npos) {
        std::string line = content.substr(position);
        position = content.size();
        return line;
    }
    std::string line = content.substr(position, end - position);
    position = end + ((content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n') ? 2 : 1);
    return line;
}

bool isReadingFile(const CurrentReadingFile& file, const std::string& path) {
    return file.exists() && equalsIgnoreCase(file.path, path);
}

}  // namespace

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t position = 0;
    while (position < text.size()) lines.push_back(nextLine(text, position));
    return lines;
}

void closeReadingFile(Engine& engine) { engine.commands.readingFile.forget(); }

void readFromTextFileCommand(Engine& engine, int line) {
    static constexpr std::string_view kCommand = "Read from Text File";
    std::string path = pathParameter(engine, line, 1);
    const bool readAll = path.compare(0, kReadAllPrefix.size(), kReadAllPrefix) == 0;
    if (readAll) path.erase(0, kReadAllPrefix.size());
    const std::string lineName = nameParameter(engine, line, 2);
    const std::string flagName = nameParameter(engine, line, 3);
    ensureResultVariable(engine, lineName);
    ensureResultVariable(engine, flagName);

    auto storeFlag = [&](bool atEnd) {
        if (!flagName.empty()) storeResult(engine, flagName, fromBoolean(atEnd), kCommand);
    };

    CurrentReadingFile& file = engine.commands.readingFile;
    if (!isReadingFile(file, path)) {
        file.forget();
        std::optional<std::string> content;
        {
            installer::RedirectionScope redirection(engine);
            content = engine.platform.files.readFile(path);
        }
        if (content) {
            file.path = path;
            file.open = true;
            file.content = std::move(*content);
        }
    }
    // A file that could not be opened, or whose handle a write closed: the read fails.
    if (!file.open) {
        file.forget();
        storeFlag(true);
        return;
    }

    if (file.position < file.content.size()) {
        std::string text = nextLine(file.content, file.position);
        while (readAll && file.position < file.content.size()) {
            text += kNewlineText;
            text += nextLine(file.content, file.position);
        }
        if (!lineName.empty()) storeResult(engine, lineName, text, kCommand);
    }
    const bool atEnd = file.position >= file.content.size();
    if (atEnd) file.forget();
    storeFlag(atEnd);
}

void writeToTextFileCommand(Engine& engine, int line) {
    const std::string path = pathParameter(engine, line, 1);
    const std::string text = textParameter(engine, line, 2);
    const bool atTop = expandedBoolParameter(engine, line, 3);

    CurrentReadingFile& file = engine.commands.readingFile;
    if (isReadingFile(file, path)) {
        file.open = false;
        file.content.clear();
    }

    installer::RedirectionScope redirection(engine);
    auto& files = engine.platform.files;
    const std::optional<std::string> existing = files.readFile(path);
    // A file that exists but cannot be read is left alone: saving over it would destroy its lines.
    if (!existing && files.fileExists(path)) return;

    std::vector<std::string> lines = existing ? splitLines(*existing) : std::vector<std::string>{};
    if (atTop)
        lines.insert(lines.begin(), text);
    else
        lines.push_back(text);

    std::string content;
    for (const std::string& l : lines) {
        content += l;
        content += "\r\n";
    }
    files.setNormalAttributes(path);
    files.writeFile(path, content);  // a failure to save is not reported
}

}  // namespace qs::commands
