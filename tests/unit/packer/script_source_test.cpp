// Parsing the readable script source.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "packer/pack_error.h"
#include "packer/script_source.h"

using namespace qs::pack;
using Strings = std::vector<std::string>;

TEST(ScriptSource, GoodLines) {
    struct Case {
        const char* source;
        const char* command;
        Strings parameters;
        bool disabled;
    };
    const Case cases[] = {
        {"Wizard Loop()", "Wizard Loop", {}, false},
        {"  End ( )  ", "End", {}, false},
        {"Set Variable(\"A\", \"B\")", "Set Variable", {"A", "B"}, false},
        {"Set Variable (\"A\",\"B\")  # why", "Set Variable", {"A", "B"}, false},
        {"Copy/Move Local Files(\"x\")", "Copy/Move Local Files", {"x"}, false},
        {"X(\"\", \"\", \"\")", "X", {"", "", ""}, false},
        {"X(\"  blanks kept  \")", "X", {"  blanks kept  "}, false},
        {"X(\"say \"\"hi\"\"\")", "X", {"say \"hi\""}, false},
        {"X(\"\"\"\")", "X", {"\""}, false},
        {"X(\"$\", \"$$\", \"a$DOLLAR$\", \"|\", \"#\", \",\", \")\")", "X", {"$", "$$", "a$DOLLAR$", "|", "#", ",", ")"}, false},
        {"X(\"C:\\Program Files\\\")", "X", {"C:\\Program Files\\"}, false},
        {"X(\"tab\there\")", "X", {"tab\there"}, false},
        {"// Install Files(\"*.txt\", \"\", \"$TARGETDIR$\")", "Install Files", {"*.txt", "", "$TARGETDIR$"}, true},
        {"\t//Label(\"OLD\")", "Label", {"OLD"}, true},
        {"X(\"\xE4\xF6\xFC\")", "X", {"\xE4\xF6\xFC"}, false},  // ANSI bytes pass through
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        Script s = parseScript(c.source, "t.qss");
        ASSERT_EQ(s.lines.size(), 1u);
        EXPECT_EQ(s.lines[0].command, c.command);
        EXPECT_EQ(s.lines[0].parameters, c.parameters);
        EXPECT_EQ(s.lines[0].disabled, c.disabled);
        EXPECT_EQ(s.lines[0].sourceFile, "t.qss");
        EXPECT_EQ(s.lines[0].sourceLine, 0);
    }
}

TEST(ScriptSource, CommentsBlankLinesAndPositions) {
    Script s = parseScript(
        "# heading\r\n"
        "\r\n"
        "A()\r\n"
        "   # indented comment\n"
        "%media \"OFFLINE\\\"\n"
        "B(\"1\")\n"
        "%media \"\"\n"
        "C()",  // no final line break
        "dir\\main.qss");
    ASSERT_EQ(s.lines.size(), 3u);
    EXPECT_EQ(s.lines[0].command, "A");
    EXPECT_EQ(s.lines[0].sourceLine, 2);
    EXPECT_EQ(s.lines[0].mediaPath, "");
    EXPECT_EQ(s.lines[1].sourceLine, 5);
    EXPECT_EQ(s.lines[1].mediaPath, "OFFLINE\\");
    EXPECT_EQ(s.lines[2].sourceLine, 7);
    EXPECT_EQ(s.lines[2].mediaPath, "");
}

TEST(ScriptSource, BadLinesNameFileAndLine) {
    struct Case {
        const char* source;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"A()\nSet Variable \"A\"", 2, "missing parameter block"},
        {"Set Variable", 1, "missing parameter block"},
        {"X(\"abc)", 1, "unterminated quoted text"},
        {"X(\"a\"\")", 1, "unterminated quoted text"},
        {"X(\"a\" \"b\")", 1, "expected ',' or ')'"},
        {"X(\"a\",)", 1, "expected a quoted parameter"},
        {"X(a)", 1, "expected a quoted parameter"},
        {"X(\"a\"", 1, "missing ')'"},
        {"X() trailing", 1, "unexpected text after the parameter block"},
        {"(\"a\")", 1, "missing command name"},
        {"//", 1, "missing command after '//'"},
        {"// %media \"x\"", 1, "only command lines can be disabled"},
        {"\n\n%define \"x\"", 3, "unknown directive '%define'"},
        {"%media", 1, "expected a quoted text after %media"},
        {"%include \"x.qss\"", 1, "%include is not available here"},
        {"$()", 1, "'$' is not a command name"},
        {"X(\"$DOLLAR$\")", 1, "parameter 1: the text '$DOLLAR$' cannot be carried"},
        {"X(\"a\", \"$wild_dollar$\")", 1, "parameter 2: the text '$wild_dollar$' cannot be carried"},
        {"X(\"a\rb\")", 1, "carriage return inside a line"},
        {"\xEF\xBB\xBFX()", 1, "byte-order mark"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        try {
            parseScript(c.source, "bad.qss");
            ADD_FAILURE() << "accepted";
        } catch (const PackError& e) {
            EXPECT_EQ(e.file, "bad.qss");
            EXPECT_EQ(e.line, c.line);
            EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
            EXPECT_EQ(std::string(e.what()).rfind("bad.qss:" + std::to_string(c.line) + ": ", 0), 0u) << e.what();
        }
    }
}

TEST(ScriptSource, NulInsideAParameterIsRefused) {
    // Kept out of the table above, whose sources are C strings.
    try {
        parseScript(std::string("X(\"a\0b\")", 8), "n.qss");
        ADD_FAILURE() << "accepted";
    } catch (const PackError& e) {
        EXPECT_NE(e.message.find("NUL character"), std::string::npos) << e.message;
    }
}

namespace {

SourceLoader mapLoader(std::map<std::string, std::string> files) {
    return [files](const std::filesystem::path& p) {
        auto it = files.find(p.lexically_normal().generic_string());
        if (it == files.end()) throw PackError(p.string(), 0, "cannot read the file");
        return it->second;
    };
}

}  // namespace

TEST(ScriptSource, IncludesAreReadInPlaceWithTheirOwnPositions) {
    auto load = mapLoader({
        {"/p/main.qss", "A()\n%include \"lib/common.qss\"\nD()\n"},
        {"/p/lib/common.qss", "# common\nB(\"x\")\n%media \"M\\\"\nC()\n"},
    });
    Script s = loadScript("/p/main.qss", "/p", load);
    ASSERT_EQ(s.lines.size(), 4u);
    const std::pair<std::string, int> expected[] = {
        {"main.qss", 0}, {"lib\\common.qss", 1}, {"lib\\common.qss", 3}, {"main.qss", 2}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(s.lines[i].sourceFile, expected[i].first) << i;
        EXPECT_EQ(s.lines[i].sourceLine, expected[i].second) << i;
    }
    EXPECT_EQ(s.lines[2].mediaPath, "M\\");
    EXPECT_EQ(s.lines[3].mediaPath, "");  // %media ends with its file
}

TEST(ScriptSource, IncludeFaultsPointAtTheIncludeLine) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        std::string file;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"missing file", {{"/p/main.qss", "A()\n%include \"gone.qss\"\n"}}, "main.qss", 2, "cannot read"},
        {"cycle",
         {{"/p/main.qss", "%include \"b.qss\"\n"}, {"/p/b.qss", "B()\n%include \"main.qss\"\n"}},
         "b.qss", 2, "include cycle"},
        {"fault inside the included file",
         {{"/p/main.qss", "%include \"b.qss\"\n"}, {"/p/b.qss", "B()\nC(\n"}},
         "b.qss", 2, "missing ')'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            loadScript("/p/main.qss", "/p", mapLoader(c.files));
            ADD_FAILURE() << "accepted";
        } catch (const PackError& e) {
            EXPECT_EQ(e.file, c.file);
            EXPECT_EQ(e.line, c.line);
            EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
        }
    }
}
