// Parser of the readable script source (see script_source.h and docs/script-format.md).
#include "packer/script_source.h"

#include <fstream>
#include <sstream>

#include "engine/text_case.h"
#include "packer/pack_error.h"
#include "packer/quoted_text.h"

namespace qs::pack {

namespace fs = std::filesystem;

namespace {

class Parser {
public:
    Parser(const SourceLoader* load, fs::path root) : load_(load), root_(std::move(root)) {}

    void parseFile(const fs::path& file, const std::string& includedFrom, int includeLine) {
        fs::path canonical = fs::weakly_canonical(file);
        for (const fs::path& open : stack_) {
            if (open == canonical) throw PackError(includedFrom, includeLine, "include cycle: " + file.string());
        }
        std::string text;
        try {
            text = (*load_)(file);
        } catch (const PackError& e) {
            if (includedFrom.empty()) throw;
            throw PackError(includedFrom, includeLine, e.message);
        }
        stack_.push_back(canonical);
        parseText(text, storedName(file), file.parent_path());
        stack_.pop_back();
    }

    void parseText(std::string_view text, const std::string& name, const fs::path& folder) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            throw PackError(name, 1, "the file starts with a UTF-8 byte-order mark; save it as ANSI text in the setup's code page");
        std::string mediaPath;
        size_t pos = 0;
        int lineNumber = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(pos, end - pos);
            pos = end + 1;
            ++lineNumber;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            parseLine(line, name, lineNumber, folder, mediaPath);
        }
    }

    Script script;

private:
    std::string storedName(const fs::path& file) const {
        std::error_code ec;
        fs::path rel = root_.empty() ? file : fs::relative(file, root_, ec);
        if (ec || rel.empty()) rel = file.filename();
        std::string s = rel.generic_string();
        for (char& c : s)
            if (c == '/') c = '\\';
        return s;
    }

    void parseLine(std::string_view line, const std::string& name, int lineNumber, const fs::path& folder,
                   std::string& mediaPath) {
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\r' || line[i] == '\0')
                throw PackError(name, lineNumber,
                                std::string(line[i] == '\r' ? "carriage return" : "NUL character") +
                                    " inside a line (column " + std::to_string(i + 1) + ")");
        }
        LineScanner s(line, name, lineNumber);
        s.skipBlanks();
        if (s.atEnd() || s.peek() == '#') return;  // blank line or comment
        if (s.consume('%')) {
            parseDirective(s, name, lineNumber, folder, mediaPath);
            return;
        }
        ScriptLine out;
        if (s.consume("//")) {
            out.disabled = true;
            s.skipBlanks();
            if (s.peek() == '%') s.fail("only command lines can be disabled");
            if (s.atEnd() || s.peek() == '#') s.fail("missing command after '//'");
        }
        out.command = s.readBareUntil("(\"#");
        if (out.command.empty()) s.fail("missing command name");
        for (char c : out.command) {
            if (static_cast<unsigned char>(c) < 0x20 || c == ')')
                throw PackError(name, lineNumber, "invalid character in command name '" + out.command + "'");
        }
        if (out.command == "$") throw PackError(name, lineNumber, "'$' is not a command name");
        if (!s.consume('('))
            s.fail("missing parameter block after command '" + out.command + "'; write " + out.command +
                   "() for a command without parameters");
        parseParameters(s, out.parameters);
        s.expectEndOrComment("the parameter block");
        for (size_t i = 0; i < out.parameters.size(); ++i) {
            std::string problem = parameterProblem(out.parameters[i]);
            if (!problem.empty())
                throw PackError(name, lineNumber, "parameter " + std::to_string(i + 1) + ": " + problem);
        }
        out.mediaPath = mediaPath;
        out.sourceFile = name;
        out.sourceLine = lineNumber - 1;
        script.lines.push_back(std::move(out));
    }

    static void parseParameters(LineScanner& s, std::vector<std::string>& parameters) {
        s.skipBlanks();
        if (s.consume(')')) return;
        while (true) {
            s.skipBlanks();
            if (s.atEnd()) s.fail("missing ')' at the end of the parameter block");
            if (s.peek() != '"') s.fail("expected a quoted parameter");
            parameters.push_back(s.readQuoted());
            s.skipBlanks();
            if (s.consume(',')) continue;
            if (s.consume(')')) return;
            if (s.atEnd()) s.fail("missing ')' at the end of the parameter block");
            s.fail("expected ',' or ')' after a parameter");
        }
    }

    void parseDirective(LineScanner& s, const std::string& name, int lineNumber, const fs::path& folder,
                        std::string& mediaPath) {
        std::string word;
        while (!s.atEnd() && ((s.peek() >= 'a' && s.peek() <= 'z') || (s.peek() >= 'A' && s.peek() <= 'Z'))) {
            word += s.peek();
            s.consume(s.peek());
        }
        if (word != "include" && word != "media") s.fail("unknown directive '%" + word + "'");
        s.skipBlanks();
        if (s.peek() != '"') s.fail("expected a quoted text after %" + word);
        std::string value = s.readQuoted();
        s.expectEndOrComment(("%" + word).c_str());
        if (word == "media") {
            if (value == "$") throw PackError(name, lineNumber, "'$' cannot be a media path");
            mediaPath = value;
            return;
        }
        if (value.empty()) throw PackError(name, lineNumber, "%include needs a file name");
        if (load_ == nullptr) throw PackError(name, lineNumber, "%include is not available here");
        fs::path target = fs::path(value);
        if (target.is_relative()) target = folder / target;
        parseFile(target, name, lineNumber);
    }

    const SourceLoader* load_;
    fs::path root_;
    std::vector<fs::path> stack_;
};

}  // namespace

std::string readSourceFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw PackError(file.string(), 0, "cannot read the file");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Script loadScript(const fs::path& mainFile, const fs::path& root, const SourceLoader& load) {
    Parser parser(&load, fs::absolute(root.empty() ? fs::current_path() : root));
    parser.parseFile(fs::absolute(mainFile), {}, 0);
    return std::move(parser.script);
}

Script parseScript(std::string_view text, const std::string& sourceName) {
    Parser parser(nullptr, {});
    parser.parseText(text, sourceName, {});
    return std::move(parser.script);
}

std::string parameterProblem(std::string_view text) {
    const std::string t(text);
    if (equalsIgnoreCase(t, "$DOLLAR$") || equalsIgnoreCase(t, "$WILD_DOLLAR$"))
        return "the text '" + std::string(text) +
               "' cannot be carried in a package: the engine reads this whole parameter back as '$'";
    return {};
}

}  // namespace qs::pack
