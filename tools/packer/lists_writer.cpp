// Serialising the global lists (see lists_writer.h).
#include "packer/lists_writer.h"

#include <vector>

#include "packer/pack_error.h"
#include "packer/script_source.h"

namespace qs::pack {

namespace {

class GroupWriter {
public:
    explicit GroupWriter(std::string& out) : out_(out) {}

    void begin(const char* name) { group_ = name; }

    void entry(const std::string& text) {
        if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            fail("an entry contains a line break or NUL: '" + printable(text) + "'");
        if (text == "$") fail("an entry is exactly '$', which would end the list early");
        line(text);
    }

    void parameter(const std::string& text) {
        if (text == "$") return line("$DOLLAR$");
        std::string problem = parameterProblem(text);
        if (!problem.empty()) fail(problem);
        entry(text);
    }

    void end() { line("$"); }

private:
    void line(const std::string& text) {
        out_ += text;
        out_ += "\r\n";
    }

    static std::string printable(const std::string& s) {
        std::string out;
        for (char c : s) out += (c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : c == '\0' ? std::string("\\0") : std::string(1, c));
        return out;
    }

    [[noreturn]] void fail(const std::string& message) const {
        throw PackError(std::string("cannot write the ") + group_ + ": " + message);
    }

    std::string& out_;
    const char* group_ = "";
};

}  // namespace

std::string writeGlobalLists(const GlobalLists& g) {
    std::string out;
    GroupWriter w(out);
    auto list = [&](const char* name, const std::vector<std::string>& entries) {
        w.begin(name);
        for (const std::string& e : entries) w.entry(e);
    };

    list("command list", g.commandList);
    w.end();
    list("line key list", g.lineKeyList);
    w.end();
    w.begin("parameter list");
    for (const std::string& p : g.parameterList) w.parameter(p);
    w.end();
    list("disabled-line list", g.disabledList);
    w.end();

    list("product code and title", {g.productCode, g.productTitle});
    list("plug-in list", g.pluginList);
    w.end();

    list("product details", {g.company, g.contact, g.helpLink, g.updateInfoLink, g.comments, g.productVersion});
    list("block password list", g.blockPasswords);
    w.end();

    list("media path list", g.mediaPathList);
    w.end();

    list("build mode", {std::to_string(g.buildMode)});
    list("component size list", g.componentSizes);
    w.end();

    list("package code", {g.packageCode});
    list("media file map", g.mediaFileMap);
    w.end();

    list("language settings", {g.languageDialog ? "TRUE" : "FALSE", g.defaultLanguage});
    list("command header list", g.commandHeaders);
    w.end();

    list("constant list", g.constants);
    w.end();

    list("code page", {std::to_string(g.codePage)});
    list("source position list", g.sourcePositions);
    w.end();
    return out;
}

}  // namespace qs::pack
