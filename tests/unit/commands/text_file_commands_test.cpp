#include "commands/text_file_commands.h"

#include "commands/string_commands.h"

#include <gtest/gtest.h>

#include "command_fixture.h"
#include "installer/installer_platform.h"

namespace qs::test {
namespace {

using commands::readFromTextFileCommand;
using commands::writeToTextFileCommand;

// A script of reads and writes; each step runs one line and the test checks the variables.
struct TextFileScript : CommandFixture {
    static Line read(const std::string& path, const std::string& flag = "EOF") {
        return {"Read from Text File", {path, "LINE", flag}};
    }
    static Line write(const std::string& path, const std::string& text, const std::string& top = "FALSE") {
        return {"Write to Text File", {path, text, top}};
    }
    // Runs `line` and returns "line value|flag value".
    std::string step(const Line& line) {
        load({line});
        if (line.command == "Read from Text File")
            readFromTextFileCommand(engine, 0);
        else
            writeToTextFileCommand(engine, 0);
        return get("LINE") + "|" + get("EOF");
    }
};

TEST(ReadFromTextFile, WalksTheFileOnceThenStartsAgain) {
    TextFileScript s;
    s.fakes.files.addFile("C:\\data\\list.txt", "one\r\ntwo\nthree\rfour\r\n");
    const std::string steps[] = {"one|FALSE", "two|FALSE", "three|FALSE", "four|TRUE", "one|FALSE"};
    for (const std::string& expected : steps) EXPECT_EQ(s.step(TextFileScript::read("C:\\data\\list.txt")), expected);
}

TEST(ReadFromTextFile, EdgeCases) {
    struct Case {
        std::string name, content;
        std::vector<std::string> steps;  // "line|flag" after each read of the same file
    };
    const Case cases[] = {
        {"empty file keeps the line", "", {"before|TRUE"}},
        {"last line without a break", "a\r\nb", {"a|FALSE", "b|TRUE"}},
        {"empty lines are lines", "\r\n\r\nx", {"|FALSE", "|FALSE", "x|TRUE"}},
        {"one break only", "\r\n", {"|TRUE"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextFileScript s;
        s.set("LINE", "before");
        s.fakes.files.addFile("C:\\f.txt", c.content);
        for (const std::string& expected : c.steps) EXPECT_EQ(s.step(TextFileScript::read("C:\\f.txt")), expected);
        EXPECT_FALSE(s.engine.commands.readingFile.exists());
    }
}

TEST(ReadFromTextFile, ReadAllJoinsTheRemainingLines) {
    TextFileScript s;
    s.fakes.files.addFile("C:\\f.txt", "l1\r\nl2\r\nl3\r\n");
    EXPECT_EQ(s.step(TextFileScript::read("#READALL\\C:\\f.txt")), "l1$NEWLINE$l2$NEWLINE$l3|TRUE");
    EXPECT_EQ(s.step(TextFileScript::read("C:\\f.txt")), "l1|FALSE");
    EXPECT_EQ(s.step(TextFileScript::read("#READALL\\C:\\F.TXT")), "l2$NEWLINE$l3|TRUE");
    // The prefix is recognised only as written, at the start.
    EXPECT_EQ(s.step(TextFileScript::read("#readall\\C:\\f.txt")), "l2$NEWLINE$l3|TRUE");
}

TEST(ReadFromTextFile, MissingFileGivesTheFlagAndKeepsTheLine) {
    TextFileScript s;
    s.set("LINE", "kept");
    EXPECT_EQ(s.step(TextFileScript::read("C:\\missing.txt")), "kept|TRUE");
    EXPECT_FALSE(s.engine.commands.readingFile.exists());
}

TEST(ReadFromTextFile, AnotherPathClosesTheCurrentFile) {
    TextFileScript s;
    s.fakes.files.addFile("C:\\a.txt", "a1\r\na2\r\n");
    s.fakes.files.addFile("C:\\b.txt", "b1\r\nb2\r\n");
    EXPECT_EQ(s.step(TextFileScript::read("C:\\a.txt")), "a1|FALSE");
    EXPECT_EQ(s.step(TextFileScript::read("C:\\b.txt")), "b1|FALSE");
    EXPECT_EQ(s.step(TextFileScript::read("c:\\A.TXT")), "a1|FALSE");
    EXPECT_EQ(s.step(TextFileScript::read("C:\\\\a.txt")), "a2|TRUE");  // normalised: the same file
}

TEST(ReadFromTextFile, ResultVariablesAreCreatedUpperCasedAndTheFlagMayBeOmitted) {
    CommandFixture f;
    f.fakes.files.addFile("C:\\f.txt", "x\r\ny\r\n");
    f.run(readFromTextFileCommand, {"Read from Text File", {"C:\\f.txt", "line", ""}});
    EXPECT_EQ(f.storedSpelling("line"), "LINE");
    EXPECT_EQ(f.get("LINE"), "x");
    EXPECT_EQ(f.engine.variables.size(), 1u);
}

TEST(ReadFromTextFile, ScriptEndClosesTheFile) {
    TextFileScript s;
    s.fakes.files.addFile("C:\\f.txt", "1\r\n2\r\n");
    EXPECT_EQ(s.step(TextFileScript::read("C:\\f.txt")), "1|FALSE");
    commands::closeReadingFile(s.engine);
    EXPECT_FALSE(s.engine.commands.readingFile.exists());
    EXPECT_EQ(s.step(TextFileScript::read("C:\\f.txt")), "1|FALSE");
}

TEST(WriteToTextFile, AppendsOrInsertsLines) {
    struct Case {
        std::string name;
        bool exists;
        std::string before, text, top, after;
    };
    const Case cases[] = {
        {"append", true, "a\r\nb\r\n", "c", "FALSE", "a\r\nb\r\nc\r\n"},
        {"insert", true, "a\r\nb\r\n", "c", "TRUE", "c\r\na\r\nb\r\n"},
        {"insert, expanded flag", true, "a\r\n", "c", "$TOP$", "c\r\na\r\n"},
        {"last line without a break", true, "a", "b", "FALSE", "a\r\nb\r\n"},
        {"bare breaks become CR LF", true, "a\nb\rc", "d", "FALSE", "a\r\nb\r\nc\r\nd\r\n"},
        {"missing file, insert", false, "", "only", "TRUE", "only\r\n"},
        {"missing file, append", false, "", "only", "FALSE", "only\r\n"},
        {"text with breaks", true, "a\r\n", "x$NEWLINE$y", "FALSE", "a\r\nx\r\ny\r\n"},
        {"empty file", true, "", "z", "FALSE", "z\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextFileScript s;
        s.set("TOP", "true");
        s.set("NEWLINE", "\r\n");
        if (c.exists) s.fakes.files.addFile("C:\\out\\f.txt", c.before);
        s.step(TextFileScript::write("C:\\out\\\\f.txt", c.text, c.top));
        EXPECT_EQ(s.fakes.files.content("C:\\out\\f.txt"), c.after);
    }
}

TEST(WriteToTextFile, UnreadableFileIsNotOverwritten) {
    TextFileScript s;
    s.fakes.files.addFile("C:\\big.log", "precious\r\n");
    s.fakes.files.unreadableFiles.insert(foldPath("C:\\big.log"));
    s.step(TextFileScript::write("C:\\big.log", "new"));
    EXPECT_EQ(s.fakes.files.content("C:\\big.log"), "precious\r\n");
}

TEST(WriteToTextFile, WritingTheFileBeingReadEndsThatRead) {
    TextFileScript s;
    s.fakes.files.addFile("C:\\f.txt", "1\r\n2\r\n3\r\n");
    EXPECT_EQ(s.step(TextFileScript::read("C:\\f.txt")), "1|FALSE");
    s.step(TextFileScript::write("c:\\F.txt", "4"));
    EXPECT_TRUE(s.engine.commands.readingFile.exists());  // the path is remembered
    EXPECT_EQ(s.step(TextFileScript::read("C:\\f.txt")), "1|TRUE");  // the read fails
    EXPECT_FALSE(s.engine.commands.readingFile.exists());
    EXPECT_EQ(s.step(TextFileScript::read("C:\\f.txt")), "1|FALSE");  // starts again, new content
    EXPECT_EQ(s.step(TextFileScript::read("#READALL\\C:\\f.txt")), "2$NEWLINE$3$NEWLINE$4|TRUE");
}

TEST(WriteToTextFile, WritingAnotherFileKeepsTheRead) {
    TextFileScript s;
    s.fakes.files.addFile("C:\\f.txt", "1\r\n2\r\n");
    EXPECT_EQ(s.step(TextFileScript::read("C:\\f.txt")), "1|FALSE");
    s.step(TextFileScript::write("C:\\other.txt", "x"));
    EXPECT_EQ(s.step(TextFileScript::read("C:\\f.txt")), "2|TRUE");
}

// The file commands switch redirection off around their file work in 64-bit mode; the text
// commands never touch it.
class CountingRedirection final : public installer::FsRedirectionApi {
public:
    int disabled = 0, reverted = 0;
    bool disable(void*& previous) override {
        ++disabled;
        previous = this;
        return true;
    }
    void revert(void*) override { ++reverted; }
};

TEST(Redirection, OffForFileCommandsInSixtyFourBitMode) {
    struct Case {
        Line line;
        int switches;
    };
    const Case cases[] = {
        {{"Read from Text File", {"C:\\f.txt", "LINE", "EOF"}}, 1},
        {{"Write to Text File", {"C:\\f.txt", "x", "FALSE"}}, 1},
        {{"Get Temporary File", {"TMP"}}, 1},
        {{"Convert Path", {"P", "FALSE"}}, 1},
        {{"Convert Case", {"P", "TRUE"}}, 0},
        {{"Parse String", {"a=b", "=", "L", "R", "0", "FALSE", "FALSE"}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.command);
        CommandFixture f;
        CountingRedirection api;
        f.engine.installerPlatform.redirection.attach(&api);
        f.engine.installerPlatform.platform = installer::InstallerPlatform::X64;
        f.engine.temporaryFolder = "C:\\Temp\\";
        f.fakes.files.createDirectoryTree("C:\\Temp");
        f.fakes.files.addFile("C:\\f.txt", "1\r\n");
        f.set("P", "C:\\f.txt");
        f.load({c.line});
        const std::string& command = c.line.command;
        if (command == "Read from Text File") commands::readFromTextFileCommand(f.engine, 0);
        if (command == "Write to Text File") commands::writeToTextFileCommand(f.engine, 0);
        if (command == "Get Temporary File") commands::getTemporaryFileCommand(f.engine, 0);
        if (command == "Convert Path") commands::convertPathCommand(f.engine, 0);
        if (command == "Convert Case") commands::convertCaseCommand(f.engine, 0);
        if (command == "Parse String") commands::parseStringCommand(f.engine, 0);
        EXPECT_EQ(api.disabled, c.switches);
        EXPECT_EQ(api.reverted, c.switches);
        f.engine.installerPlatform.redirection.attach(nullptr);
    }
}

}  // namespace
}  // namespace qs::test
