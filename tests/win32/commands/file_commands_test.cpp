// "Convert Path", "Get Temporary File" and the text-file commands against the real file
// system: folders with long names are made under the temporary folder, and the system's own
// GetLongPathNameA and GetShortPathNameA are the reference.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "commands/string_commands.h"
#include "commands/text_file_commands.h"
#include "engine/engine.h"
#include "platform/win32/win32_platform.h"
#include "script_builder.h"

using namespace qs;
using qs::test::buildLists;
using qs::test::Line;

namespace {

std::string systemLongPath(const std::string& path) {
    char buffer[MAX_PATH];
    const DWORD n = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
    return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(buffer, n);
}

std::string systemShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(buffer, n);
}

std::string lowered(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

class FileCommandsTest : public ::testing::Test {
protected:
    Engine engine{platform::win32Platform()};
    std::string base;      // <temp>\Quillset Commands <pid>\ (long form)
    std::string folder;    // base + "Long Folder Name"
    std::string file;      // folder + "\Another Long File.text"

    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        base = systemLongPath(temp) + "Quillset Commands " + std::to_string(GetCurrentProcessId()) + "\\";
        folder = base + "Long Folder Name";
        file = folder + "\\Another Long File.text";
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    void TearDown() override {
        commands::closeReadingFile(engine);
        WIN32_FIND_DATAA data;
        for (const std::string& dir : {folder + "\\", base}) {
            HANDLE search = FindFirstFileA((dir + "*").c_str(), &data);
            if (search == INVALID_HANDLE_VALUE) continue;
            do {
                if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((dir + data.cFileName).c_str());
            } while (FindNextFileA(search, &data));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
        RemoveDirectoryA(base.c_str());
    }

    void load(const std::vector<Line>& lines) {
        engine.lists = buildLists(lines);
        engine.script = ScriptModel(engine.lists);
    }
    std::string convert(const std::string& path, bool shortForm) {
        engine.variables.add("P", path);
        load({{"Convert Path", {"P", shortForm ? "TRUE" : "FALSE"}}});
        commands::convertPathCommand(engine, 0);
        return engine.variables.get("P");
    }
};

TEST_F(FileCommandsTest, LongFormGivesTheStoredNames) {
    const std::string shortFile = systemShortPath(file);
    ASSERT_FALSE(shortFile.empty());
    ASSERT_NE(shortFile, file) << "the system gives long names a short form";

    EXPECT_EQ(convert(shortFile, false), file);
    // Every component comes back in its stored case; the drive is kept as written.
    EXPECT_EQ(convert(lowered(file), false), lowered(file.substr(0, 2)) + file.substr(2));
    EXPECT_EQ(convert("\"" + systemShortPath(folder) + "\\\"", false), folder);
    EXPECT_EQ(convert(folder + "\\\\Another Long File.text", false), file) << "the value is normalised first";
}

TEST_F(FileCommandsTest, LongFormOfAMissingPathIsThePathWithoutQuotesAndTrailingBackslash) {
    const std::string missing = lowered(folder) + "\\No Such Folder\\";
    EXPECT_EQ(convert("\"" + missing + "\"", false), missing.substr(0, missing.size() - 1));
}

TEST_F(FileCommandsTest, ShortFormIsTheSystemShortPath) {
    const std::string expected = systemShortPath(file);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(convert(file, true), expected);
    EXPECT_EQ(convert(convert(file, true), false), file);

    const std::string missing = folder + "\\missing file.txt";
    EXPECT_EQ(convert(missing, true), missing) << "no short form: the path stays as it is";
}

TEST_F(FileCommandsTest, TemporaryFilesAreNewEmptyAndUnique) {
    engine.temporaryFolder = base;
    load({{"Get Temporary File", {"$First$"}}, {"Get Temporary File", {"SECOND"}}});
    commands::getTemporaryFileCommand(engine, 0);
    commands::getTemporaryFileCommand(engine, 1);
    const std::string first = engine.variables.get("FIRST");
    const std::string second = engine.variables.get("SECOND");
    EXPECT_NE(first, second);
    for (const std::string& path : {first, second}) {
        SCOPED_TRACE(path);
        ASSERT_EQ(lowered(path.substr(0, base.size())), lowered(base));
        const std::string name = path.substr(base.size());
        EXPECT_EQ(name.substr(0, 3), "yib");
        EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
        EXPECT_EQ(name.find_first_not_of("0123456789ABCDEFabcdef", 3), name.size() - 4) << "a hexadecimal number";
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(data.nFileSizeLow, 0u);
    }
}

TEST_F(FileCommandsTest, TemporaryFileInAMissingFolderFailsTheCommand) {
    engine.temporaryFolder = base + "missing\\";
    load({{"Get Temporary File", {"T"}}});
    EXPECT_ANY_THROW(commands::getTemporaryFileCommand(engine, 0));
}

TEST_F(FileCommandsTest, TextFileRoundTripOnDisk) {
    const std::string path = base + "lines.txt";
    // A read-only file is written all the same: its attributes are reset first.
    load({{"Write to Text File", {path, "second", "FALSE"}},
          {"Write to Text File", {path, "first", "TRUE"}},
          {"Read from Text File", {path, "LINE", "EOF"}}});
    commands::writeToTextFileCommand(engine, 0);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    commands::writeToTextFileCommand(engine, 1);
    commands::readFromTextFileCommand(engine, 2);
    EXPECT_EQ(engine.variables.get("LINE"), "first");
    EXPECT_EQ(engine.variables.get("EOF"), "FALSE");
    commands::readFromTextFileCommand(engine, 2);
    EXPECT_EQ(engine.variables.get("LINE"), "second");
    EXPECT_EQ(engine.variables.get("EOF"), "TRUE");
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

}  // namespace
