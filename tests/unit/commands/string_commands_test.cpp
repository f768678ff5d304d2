#include "commands/string_commands.h"

#include <gtest/gtest.h>

#include "command_fixture.h"
#include "engine/engine_error.h"

namespace qs::test {
namespace {

using commands::ProgressUpdate;

// ---- Set Variable ----------------------------------------------------------------------

TEST(SetVariable, NameFormsAndSaveFlag) {
    struct Case {
        std::string written;
        std::string variable;  // the variable that receives the value
        bool saved;
    };
    const Case cases[] = {
        {"NAME", "NAME", false},
        {"$NAME$", "NAME", false},
        {"NAME$KYRU$KYRU$TRUE", "NAME", true},
        {"$NAME$$KYRU$KYRU$TRUE", "NAME", true},
        {"NAME$KYRU$KYRU$true", "NAME", false},   // the flag is case-sensitive
        {"NAME$KYRU$KYRU$", "NAME", false},
        {"$$", "$$", false},                      // the reduction gives nothing: the name as written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        CommandFixture f;
        f.set("X", "x");
        f.run(commands::setVariableCommand, {"Set Variable", {c.written, "v $X$"}});
        EXPECT_EQ(f.get(c.variable), "v x");
        EXPECT_EQ(f.storedSpelling(c.variable), c.variable);
        EXPECT_EQ(f.engine.commands.savedVariables.size(), c.saved ? 1u : 0u);
    }
}

TEST(SetVariable, NewVariableIsUpperCasedAndExistingKeepsItsSpelling) {
    CommandFixture f;
    f.set("Mixed", "old");
    f.load({{"Set Variable", {"fresh", "1"}}, {"Set Variable", {"MIXED", "2"}}});
    commands::setVariableCommand(f.engine, 0);
    commands::setVariableCommand(f.engine, 1);
    EXPECT_EQ(f.storedSpelling("fresh"), "FRESH");
    EXPECT_EQ(f.get("FRESH"), "1");
    EXPECT_EQ(f.storedSpelling("mixed"), "Mixed");
    EXPECT_EQ(f.get("Mixed"), "2");
}

TEST(SetVariable, SavedOnceHoweverOftenTheLineRuns) {
    CommandFixture f;
    f.load({{"Set Variable", {"Keep$KYRU$KYRU$TRUE", "a"}}, {"Set Variable", {"KEEP$KYRU$KYRU$TRUE", "b"}}});
    commands::setVariableCommand(f.engine, 0);
    commands::setVariableCommand(f.engine, 0);
    commands::setVariableCommand(f.engine, 1);
    EXPECT_EQ(f.engine.commands.savedVariables, std::vector<std::string>{"Keep"});
    EXPECT_EQ(f.get("KEEP"), "b");
}

TEST(SetVariable, AbortAlsoSetsTheCancelVariable) {
    CommandFixture f;
    f.set("KYRU_IsCancelled", "FALSE");
    f.run(commands::setVariableCommand, {"Set Variable", {"abort", "TRUE"}});
    EXPECT_EQ(f.get("ABORT"), "TRUE");
    EXPECT_EQ(f.get("KYRU_IsCancelled"), "TRUE");

    CommandFixture other;
    other.set("KYRU_IsCancelled", "FALSE");
    other.run(commands::setVariableCommand, {"Set Variable", {"ABORTED", "TRUE"}});
    EXPECT_EQ(other.get("KYRU_IsCancelled"), "FALSE");
}

TEST(SetVariable, ProgressUpdatesTheDisplayAtOnceWithTheWorkerMarkedActive) {
    CommandFixture f;
    std::vector<ProgressUpdate> updates;
    std::vector<bool> activeDuring;
    f.engine.commands.progressDisplay = [&](const ProgressUpdate& u) {
        updates.push_back(u);
        activeDuring.push_back(f.engine.commands.activeWorker);
    };
    f.set("PROGRESSTEXT", "Copying files");
    f.load({{"Set Variable", {"PROGRESS", "40"}}, {"Set Variable", {"$ProgressText$", "Done"}}});
    commands::setVariableCommand(f.engine, 0);
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].text, "Copying files");
    EXPECT_EQ(updates[0].position, 40);
    EXPECT_EQ(updates[0].minimum, 0);
    EXPECT_EQ(updates[0].maximum, 100);
    EXPECT_FALSE(updates[0].reportCancel);
    commands::setVariableCommand(f.engine, 1);
    ASSERT_EQ(updates.size(), 2u);
    EXPECT_EQ(updates[1].text, "Done");
    EXPECT_EQ(updates[1].position, 40);
    EXPECT_EQ(activeDuring, (std::vector<bool>{true, true}));
    EXPECT_FALSE(f.engine.commands.activeWorker);
}

TEST(SetVariable, ProgressThatIsNotANumberFailsAfterTheVariableWasSet) {
    CommandFixture f;
    int updates = 0;
    f.engine.commands.progressDisplay = [&](const ProgressUpdate&) { ++updates; };
    f.load({{"Set Variable", {"PROGRESS", "half"}}});
    EXPECT_THROW(commands::setVariableCommand(f.engine, 0), EngineError);
    EXPECT_EQ(f.get("PROGRESS"), "half");
    EXPECT_EQ(updates, 0);
    EXPECT_FALSE(f.engine.commands.activeWorker);
}

TEST(SetVariable, LocalizableValueIsTranslatedBeforeExpansion) {
    CommandFixture f;
    f.set("WHO", "World");
    std::string seenKey;
    int seenField = 0;
    f.engine.commands.translate = [&](const std::string& text, const std::string& key, int field) {
        seenKey = key;
        seenField = field;
        return text == "Hello $WHO$" ? std::string("Hallo $WHO$") : text;
    };
    f.run(commands::setVariableCommand, {"Set Variable", {"GREETING", "Hello $WHO$"}});
    EXPECT_EQ(f.get("GREETING"), "Hallo World");
    EXPECT_EQ(seenKey, lineKeyFor(0));
    EXPECT_EQ(seenField, 1);
}

TEST(SetVariable, SilentOverrideKeepsTheCommandLineValue) {
    CommandFixture f;
    f.engine.options.silent = true;
    f.engine.options.overrides = {"TARGETDIR", "D:\\Given"};
    f.set("TARGETDIR", "D:\\Given");
    f.run(commands::setVariableCommand, {"Set Variable", {"TargetDir", "C:\\Script"}});
    EXPECT_EQ(f.get("TARGETDIR"), "D:\\Given");
}

// ---- Parse String ----------------------------------------------------------------------

struct ParseCase {
    std::string text, delimiter, mode, trim, ignoreCase;
    std::string left, right;
};

TEST(ParseString, ModesTrimmingAndIgnoreCase) {
    const ParseCase cases[] = {
        {"key=value", "=", "0", "FALSE", "FALSE", "key", "value"},
        {"a=b=c", "=", "0", "FALSE", "FALSE", "a", "b=c"},
        {"a=b=c", "=", "1", "FALSE", "FALSE", "a=b", "c"},
        {"a::b::c", "::", "1", "FALSE", "FALSE", "a::b", "c"},
        {"aaa", "aa", "1", "FALSE", "FALSE", "a", ""},        // the last start of an overlapping match
        {"nothing", "=", "0", "FALSE", "FALSE", "nothing", ""},
        {"nothing", "=", "1", "FALSE", "FALSE", "", "nothing"},
        {"abc", "", "0", "FALSE", "FALSE", "abc", ""},         // an empty delimiter never matches
        {"abc", "", "1", "FALSE", "FALSE", "", "abc"},
        {"abcdef", "2", "2", "FALSE", "FALSE", "ab", "cdef"},
        {"abcdef", "0", "2", "FALSE", "FALSE", "", "abcdef"},
        {"abcdef", "9", "2", "FALSE", "FALSE", "abcdef", ""},
        {"abcdef", "-2", "2", "FALSE", "FALSE", "", "abcdef"},
        {"abcdef", "2", "3", "FALSE", "FALSE", "abcd", "ef"},
        {"abcdef", "6", "3", "FALSE", "FALSE", "", ""},        // split at position 0: nothing
        {"abcdef", "9", "3", "FALSE", "FALSE", "", "abcdef"},
        {"abcdef", "two", "2", "FALSE", "FALSE", "", ""},      // a count that is not a number
        {"abcdef", "two", "3", "FALSE", "FALSE", "", ""},
        {"abcdef", "=", "7", "FALSE", "FALSE", "", ""},        // an unknown mode
        {"  key = value \t", "=", "0", "TRUE", "FALSE", "key", "value"},
        {"  key = value ", "=", "0", "FALSE", "FALSE", "  key ", " value "},
        {"KEY=Value", "key", "0", "FALSE", "TRUE", "", "=Value"},
        {"KEY=Value", "key", "0", "FALSE", "FALSE", "KEY=Value", ""},
        {"One AND two and three", "and", "1", "TRUE", "-1", "One AND two", "three"},
        {"C:\\\\dir\\\\file", "\\", "1", "FALSE", "FALSE", "C:\\dir", "file"},  // both sides normalised
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text + " | " + c.delimiter + " | mode " + c.mode);
        CommandFixture f;
        f.run(commands::parseStringCommand,
              {"Parse String", {c.text, c.delimiter, "left", "right", c.mode, c.trim, c.ignoreCase}});
        EXPECT_EQ(f.get("LEFT"), c.left);
        EXPECT_EQ(f.get("RIGHT"), c.right);
        EXPECT_EQ(f.storedSpelling("left"), "LEFT");
    }
}

TEST(ParseString, ExpandsBothTextsAndDropsUnnamedParts) {
    CommandFixture f;
    f.set("PAIR", "name|value");
    f.set("BAR", "|");
    f.run(commands::parseStringCommand, {"Parse String", {"$PAIR$", "$BAR$", "", "Right", "0", "FALSE", "FALSE"}});
    EXPECT_EQ(f.get("Right"), "value");
    EXPECT_FALSE(f.has(""));

    CommandFixture none;
    none.run(commands::parseStringCommand, {"Parse String", {"a=b", "=", "", "", "0", "FALSE", "FALSE"}});
    EXPECT_EQ(none.engine.variables.size(), 0u);
}

TEST(ParseString, ResultVariablesExistEvenWhenTheModeFails) {
    CommandFixture f;
    f.load({{"Parse String", {"a=b", "=", "L", "R", "zero", "FALSE", "FALSE"}}});
    EXPECT_THROW(commands::parseStringCommand(f.engine, 0), EngineError);
    EXPECT_TRUE(f.has("L"));
    EXPECT_TRUE(f.has("R"));
}

// ---- Replace String ----------------------------------------------------------------------

TEST(ReplaceString, Table) {
    struct Case {
        std::string value, find, replacement, ignoreCase, all, result;
    };
    const Case cases[] = {
        {"a-b-c", "-", "+", "FALSE", "FALSE", "a+b-c"},
        {"a-b-c", "-", "+", "FALSE", "TRUE", "a+b+c"},
        {"aaaa", "aa", "a", "FALSE", "TRUE", "aa"},                 // searches continue after each match
        {"abab", "b", "bb", "FALSE", "TRUE", "abbabb"},              // replaced text is not searched again
        {"Hello HELLO hello", "hello", "x", "TRUE", "TRUE", "x x x"},
        {"Hello HELLO hello", "hello", "x", "FALSE", "TRUE", "Hello HELLO x"},
        {"Hello HELLO hello", "hello", "x", "TRUE", "FALSE", "x HELLO hello"},
        {"caf\xE9 CAF\xC9", "caf\xE9", "tea", "TRUE", "TRUE", "tea tea"},  // ANSI letters fold too
        {"abc", "", "x", "FALSE", "TRUE", "abc"},
        {"", "a", "x", "FALSE", "TRUE", ""},
        {"ab", "abc", "x", "FALSE", "TRUE", "ab"},
        {"one\r\ntwo", "e$NEWLINE$t", "E T", "FALSE", "TRUE", "onE Two"},
        {"one\r\ntwo", "x", "y", "FALSE", "TRUE", "one$NEWLINE$two"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value + " / " + c.find);
        CommandFixture f;
        f.set("Value", c.value);
        f.run(commands::replaceStringCommand, {"Replace String", {"$value$", c.find, c.replacement, c.ignoreCase, c.all}});
        EXPECT_EQ(f.get("VALUE"), c.result);
    }
}

TEST(ReplaceString, ValueIsTakenRawAndPartsExpanded) {
    CommandFixture f;
    f.set("V", "path $DIR$\\x");
    f.set("DIR", "C:\\d");
    f.set("NEW", "C:\\e");
    f.run(commands::replaceStringCommand, {"Replace String", {"V", "\\x", "\\$NEW$", "FALSE", "TRUE"}});
    EXPECT_EQ(f.get("V"), "path $DIR$\\C:\\e");
}

TEST(ReplaceString, BreaksInTheReplacementAreStoredAsMarkers) {
    CommandFixture f;
    f.set("V", "a,b");
    f.set("NEWLINE", "\r\n");
    f.run(commands::replaceStringCommand, {"Replace String", {"V", ",", "$NEWLINE$", "FALSE", "TRUE"}});
    EXPECT_EQ(f.get("V"), "a$NEWLINE$b");
}

// ---- Extract Path ------------------------------------------------------------------------

TEST(ExtractPath, PartCodes) {
    struct Case {
        std::string path;
        int code;
        std::string part;
    };
    const Case cases[] = {
        {"C:\\Program Files\\App\\tool.exe", 0, "tool.exe"},
        {"C:\\Program Files\\App\\tool.exe", 1, "tool"},
        {"C:\\Program Files\\App\\tool.exe", 2, "exe"},
        {"C:\\Program Files\\App\\tool.exe", 3, "C:\\Program Files\\App\\"},
        {"C:\\Program Files\\App\\tool.exe", 4, "C:\\Program Files\\"},
        {"C:\\Program Files\\App\\tool.exe", 5, "C:\\"},
        {"C:\\Program Files\\App\\tool.exe", 6, "C:\\Program Files\\App\\tool.exe"},
        {"C:\\Program Files\\App\\tool.exe", 7, "C:\\Program Files\\App\\tool.exe"},
        {"C:\\Program Files\\App\\tool.exe", -1, "C:\\Program Files\\App\\tool.exe"},
        {"C:\\dir.d\\README", 1, "README"},
        {"C:\\dir.d\\README", 2, ""},          // the dot of a folder is no extension
        {"C:\\a\\archive.tar.gz", 1, "archive.tar"},
        {"C:\\a\\archive.tar.gz", 2, "gz"},
        {"C:\\a\\x.gzip.gz", 1, "x.gzip"},    // the extension is cut where it stands, at the end
        {"C:\\a\\.profile", 1, ""},
        {"C:\\a\\.profile", 2, "profile"},
        {"C:\\tool.exe", 4, "C:\\"},
        {"C:\\a\\b\\", 3, "C:\\a\\b\\"},
        {"C:\\a\\b\\", 4, "C:\\a\\"},
        {"C:tool.exe", 0, "tool.exe"},
        {"C:tool.exe", 3, "C:\\"},
        {"tool.exe", 3, ""},
        {"tool.exe", 4, ""},
        {"tool.exe", 5, ""},
        {"\\\\server\\share\\dir\\f.txt", 5, "\\\\server\\share\\"},
        {"\\\\server\\share", 5, "\\\\server\\share\\"},
        {"\\\\server\\share\\dir\\f.txt", 3, "\\\\server\\share\\dir\\"},
        {"\\\\server\\share\\dir\\f.txt", 6, "\\server\\share\\dir\\f.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " code " + std::to_string(c.code));
        EXPECT_EQ(commands::extractPathPart(c.path, c.code), c.part);
    }
}

TEST(ExtractPath, CommandExpandsNormalisesAndStoresBack) {
    CommandFixture f;
    f.set("ROOT", "C:\\Apps\\");
    f.set("File", "$ROOT$\\Tool\\run.cmd");
    f.run(commands::extractPathCommand, {"Extract Path", {"File", "3"}});
    EXPECT_EQ(f.get("FILE"), "C:\\Apps\\Tool\\");

    f.load({{"Extract Path", {"File", "three"}}});
    EXPECT_THROW(commands::extractPathCommand(f.engine, 0), EngineError);
    EXPECT_EQ(f.get("FILE"), "C:\\Apps\\Tool\\");
}

// ---- Convert Case ------------------------------------------------------------------------

TEST(ConvertCase, UpperAndLowerByTheAnsiCodePage) {
    struct Case {
        std::string value, upper, result;
    };
    const Case cases[] = {
        {"Caf\xE9 Menu", "TRUE", "CAF\xC9 MENU"},
        {"Caf\xC9 Menu", "FALSE", "caf\xE9 menu"},
        {"Caf\xC9 Menu", "true", "CAF\xC9 MENU"},
        {"Caf\xC9 Menu", "-1", "CAF\xC9 MENU"},
        {"Caf\xC9 Menu", "yes", "caf\xE9 menu"},
        {"C:\\\\Dir\\\\X", "FALSE", "c:\\dir\\x"},  // the value is path-normalised first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value + " " + c.upper);
        CommandFixture f;
        f.set("Text", c.value);
        f.run(commands::convertCaseCommand, {"Convert Case", {"Text", c.upper}});
        EXPECT_EQ(f.get("TEXT"), c.result);
    }
}

// ---- Convert Path ------------------------------------------------------------------------

TEST(ConvertPath, LongFormUsesStoredNamesOfExistingComponents) {
    // Every spelling the lookups use, short names included, is an entry with its stored name.
    FakeFileSystem files;
    const std::pair<std::string, std::string> entries[] = {
        {"C:\\progra~1", "Program Files"},
        {"C:\\progra~1\\longna~1", "Long Name"},
        {"C:\\progra~1\\longna~1\\readme~1.txt", "Read Me.txt"},
        {"C:\\program files", "Program Files"},
        {"C:\\program files\\long name", "Long Name"},
    };
    for (const auto& [path, name] : entries) {
        files.createDirectoryTree(path);
        files.storedNames[foldPath(path)] = name;
    }

    struct Case {
        std::string path, result;
    };
    const Case cases[] = {
        {"C:\\progra~1\\longna~1\\readme~1.txt", "C:\\Program Files\\Long Name\\Read Me.txt"},
        {"c:\\program files\\long name\\", "c:\\Program Files\\Long Name"},
        {"\"C:\\progra~1\\longna~1\"", "C:\\Program Files\\Long Name"},
        {"C:\\progra~1\\missing\\file.txt", "C:\\progra~1\\missing\\file.txt"},
        {"C:\\Nowhere\\", "C:\\Nowhere"},
        {"C:", "C:"},
        {"C:\\", "C:"},
        {"C:\\progra~1\\long*", "C:\\progra~1\\long*"},  // a wildcard is not looked up
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(commands::longPathForm(files, c.path), c.result);
    }
}

TEST(ConvertPath, RelativeNamesStayRelative) {
    FakeFileSystem files;
    files.addFile("notes.txt", "");
    files.storedNames[foldPath("notes.txt")] = "Notes.txt";
    files.addFile("C:notes.txt", "");
    files.storedNames[foldPath("C:notes.txt")] = "Notes.txt";
    EXPECT_EQ(commands::longPathForm(files, "notes.txt"), "Notes.txt");
    EXPECT_EQ(commands::longPathForm(files, "C:notes.txt"), "C:Notes.txt");
}

TEST(ConvertPath, CommandChoosesTheFormAndStoresBack) {
    CommandFixture f;
    f.fakes.files.createDirectoryTree("C:\\Long Folder");
    f.fakes.files.shortNames[foldPath("C:\\Long Folder")] = "C:\\LONGFO~1";
    f.set("Dir", "C:\\\\Long Folder");
    f.run(commands::convertPathCommand, {"Convert Path", {"Dir", "TRUE"}});
    EXPECT_EQ(f.get("DIR"), "C:\\LONGFO~1");

    f.set("Other", "C:\\Missing Folder");
    f.run(commands::convertPathCommand, {"Convert Path", {"Other", "TRUE"}});
    EXPECT_EQ(f.get("Other"), "C:\\Missing Folder");  // no short form: unchanged

    f.set("Long", "\"c:\\long folder\\\"");
    f.run(commands::convertPathCommand, {"Convert Path", {"Long", "FALSE"}});
    EXPECT_EQ(f.get("Long"), "c:\\long folder");
}

// ---- Get Temporary File ------------------------------------------------------------------

TEST(GetTemporaryFile, CreatesAUniqueFileInTheEngineTemporaryFolder) {
    CommandFixture f;
    f.engine.temporaryFolder = "C:\\Temp\\";
    f.fakes.files.createDirectoryTree("C:\\Temp");
    f.load({{"Get Temporary File", {"$tmp$"}}, {"Get Temporary File", {"Second"}}});
    commands::getTemporaryFileCommand(f.engine, 0);
    commands::getTemporaryFileCommand(f.engine, 1);
    EXPECT_EQ(f.storedSpelling("tmp"), "TMP");
    EXPECT_EQ(f.get("TMP"), "C:\\Temp\\yib1.tmp");
    EXPECT_EQ(f.get("SECOND"), "C:\\Temp\\yib2.tmp");
    EXPECT_TRUE(f.fakes.files.has("C:\\Temp\\yib1.tmp"));
}

TEST(GetTemporaryFile, MissingFolderFailsTheCommand) {
    CommandFixture f;
    f.engine.temporaryFolder = "C:\\Gone\\";
    f.load({{"Get Temporary File", {"TMP"}}});
    EXPECT_THROW(commands::getTemporaryFileCommand(f.engine, 0), EngineError);
}

}  // namespace
}  // namespace qs::test
