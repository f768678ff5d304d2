// yib.lib and the engine's archive wrapper under Wine, on archives that 7zz writes during the
// test: each archive is extracted by yib_tool.exe (the wrapper over the DLL's exported calls)
// and the result compared byte for byte with the source tree here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "../unit/archive/folder_files.h"
#include "../unit/archive/archive_builder.h"
#include "wine_runner.h"

using namespace qs::test;
namespace fs = std::filesystem;

using qs::archive::fixtures::readFile;
using qs::archive::fixtures::tree;
using qs::archive::fixtures::writeFile;

namespace {

std::string toolExe() { return win32BuildDir() + "/tests/win32/archive/yib_tool.exe"; }

// The listed (ANSI, code page 1252 under Wine) form of a UTF-8 name made of Latin-1 letters.
std::string latin1(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0xC0 && i + 1 < utf8.size()) {
            out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

struct ToolRun {
    bool ok = false;
    std::string error;               // text after "ERROR:"
    std::vector<std::string> names;  // "ENTRY:" lines
    std::string progress;            // text after "PROGRESS:"
    std::string output;
};

class ArchiveLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = makeScratchDir(std::string("archive_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        // Parameterized names hold '/': keep the folder flat.
        src_ = dir_ / "src";
        out_ = dir_ / "out";
        fs::create_directories(src_);
    }

    void makeSourceTree() {
        std::mt19937 rng(11);
        std::string noise(200000, '\0');
        for (char& c : noise) c = static_cast<char>(rng());
        std::string text;
        for (int i = 0; i < 30000; ++i) text += "Setup line " + std::to_string(i * 104729LL % 997) + "\r\n";
        writeFile(src_ / "readme.txt", text);
        writeFile(src_ / "data/noise.bin", noise);
        writeFile(src_ / "data/empty.txt", "");
        writeFile(src_ / "data/deep/deeper/name with blanks.txt", "blanks in names");
        writeFile(src_ / "data/Gr\u00fc\u00dfe \u00e0 vous.txt", "names beyond ASCII");
        fs::create_directories(src_ / "empty folder");
        fs::create_directories(src_ / "data/empty inner");
        fs::copy_file(toolExe(), src_ / "program.exe");  // for the BCJ filter
    }

    fs::path make7z(const std::string& switches, const std::string& name = "test.7z") {
        const fs::path archive = dir_ / name;
        fs::remove(archive);
        const std::string cmd = "cd '" + src_.string() + "' && 7zz a -bd -bso0 -bsp0 " + switches + " '" + archive.string() + "' . >/dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return archive;
    }

    ToolRun tool(std::vector<std::string> args) {
        WineRun run = runUnderWine(toolExe(), args, 300);
        EXPECT_FALSE(run.timedOut) << run.output;
        ToolRun r;
        r.output = run.output;
        std::size_t start = 0;
        while (start < run.output.size()) {
            std::size_t end = run.output.find('\n', start);
            if (end == std::string::npos) end = run.output.size();
            std::string line = run.output.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            start = end + 1;
            if (line == "OK") r.ok = true;
            else if (line.rfind("ERROR:", 0) == 0) r.error = line.substr(6);
            else if (line.rfind("ENTRY:", 0) == 0) r.names.push_back(line.substr(6));
            else if (line.rfind("PROGRESS:", 0) == 0) r.progress = line.substr(9);
        }
        EXPECT_EQ(run.exitCode, r.ok ? 0 : 1) << run.output;
        return r;
    }
    ToolRun extract(const fs::path& archive, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"extract", toWindowsPath(archive.string()), toWindowsPath(out_.string())};
        args.insert(args.end(), extra.begin(), extra.end());
        return tool(args);
    }

    // Everything in the scratch folder apart from the target folder must be as the test left it.
    std::set<std::string> outsideTarget() {
        std::set<std::string> s;
        for (const auto& e : fs::recursive_directory_iterator(dir_)) {
            const std::string rel = fs::relative(e.path(), dir_).generic_string();
            if (rel != "out" && rel.rfind("out/", 0) != 0) s.insert(rel);
        }
        return s;
    }

    fs::path dir_, src_, out_;
};

struct Variant {
    const char* name;
    const char* switches;
    const char* password;
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.switches; }

class ArchiveOf7zz : public ArchiveLibrary, public ::testing::WithParamInterface<Variant> {};

}  // namespace

TEST_P(ArchiveOf7zz, ListsAndExtractsItsSourceTree) {
    makeSourceTree();
    const fs::path archive = make7z(GetParam().switches);
    std::vector<std::string> pw;
    if (*GetParam().password) pw.push_back(std::string("--password=") + GetParam().password);

    std::vector<std::string> listArgs = {"list", toWindowsPath(archive.string())};
    listArgs.insert(listArgs.end(), pw.begin(), pw.end());
    const ToolRun listing = tool(listArgs);
    ASSERT_TRUE(listing.ok) << listing.output;
    std::set<std::string> expected;
    for (const auto& [rel, content] : tree(src_)) {
        std::string name = rel;
        for (char& c : name)
            if (c == '/') c = '\\';
        expected.insert(latin1(name));
    }
    EXPECT_EQ(std::set<std::string>(listing.names.begin(), listing.names.end()), expected);

    const ToolRun run = extract(archive, pw);
    ASSERT_TRUE(run.ok) << run.output;
    EXPECT_EQ(tree(out_), tree(src_));
}

INSTANTIATE_TEST_SUITE_P(Methods, ArchiveOf7zz,
                         ::testing::Values(Variant{"Lzma", "-m0=LZMA", ""}, Variant{"Lzma2Level1", "-m0=LZMA2 -mx=1", ""},
                                           Variant{"Lzma2Level5", "-m0=LZMA2 -mx=5", ""}, Variant{"Lzma2Level9WithBcj2", "-m0=LZMA2 -mx=9", ""},
                                           Variant{"BcjOnAnExecutable", "-mf=BCJ -m0=LZMA", ""}, Variant{"NotSolid", "-ms=off", ""},
                                           Variant{"Encrypted", "-pSecret", "Secret"},
                                           Variant{"EncryptedHeader", "-pSecret -mhe=on", "Secret"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArchiveLibrary, ExtractsAFileOf50MB) {
    std::string big(50u << 20, '\0');
    std::mt19937 rng(5);
    for (std::size_t i = 0; i < big.size(); i += 64) {
        const std::uint32_t r = rng();
        for (std::size_t k = 0; k < 64; ++k) big[i + k] = static_cast<char>((k * 31 + (r >> (k % 24))) & 0x3F);
    }
    writeFile(src_ / "big.bin", big);
    const ToolRun run = extract(make7z("-m0=LZMA2 -mx=1 -mmt=2"));
    ASSERT_TRUE(run.ok) << run.output;
    const std::string got = readFile(out_ / "big.bin");
    EXPECT_EQ(got.size(), big.size());
    EXPECT_TRUE(got == big);
    EXPECT_NE(run.progress.find(" 52428800/52428800"), std::string::npos) << run.progress;
}

TEST_F(ArchiveLibrary, DamagedArchivesAndWrongPasswordsGiveTheirErrors) {
    std::mt19937 rng(9);
    std::string data(300000, '\0');
    for (char& c : data) c = static_cast<char>('a' + rng() % 8);
    writeFile(src_ / "file.txt", data);
    const std::string lzma2 = readFile(make7z("-m0=LZMA2", "lzma2.7z"));
    const std::string copy = readFile(make7z("-m0=Copy", "copy.7z"));
    make7z("-pSecret", "secret.7z");
    make7z("-pSecret -mhe=on", "header.7z");
    std::string flipped = lzma2, crc = copy;
    flipped[32 + 1000] ^= 0x10;
    crc[32 + 1000] ^= 0x10;  // stored data: only the CRC can tell
    writeFile(dir_ / "truncated.7z", lzma2.substr(0, lzma2.size() * 2 / 3));
    writeFile(dir_ / "flipped.7z", flipped);
    writeFile(dir_ / "crc.7z", crc);
    writeFile(dir_ / "evil.7z", qs::archive::fixtures::copyArchive({{u"ok.txt", "ok"}, {u"sub\\..\\..\\evil.txt", "evil"}}));
    writeFile(dir_ / "drive.7z", qs::archive::fixtures::copyArchive({{u"C:\\evil.txt", "evil"}}));
    fs::create_directories(out_);
    const std::set<std::string> before = outsideTarget();

    const std::string cannotOpen = "The archive cannot be opened: unsupported archive or incorrect password";
    struct Case {
        const char* archive;
        std::vector<std::string> extra;
        std::set<std::string> errors;
    };
    const Case cases[] = {
        {"truncated.7z", {}, {cannotOpen}},
        {"flipped.7z", {}, {"#1005", "#1006"}},
        {"crc.7z", {}, {"#1006"}},
        {"secret.7z", {"--password=wrong"}, {"#1004"}},
        {"secret.7z", {}, {"#1004"}},
        {"header.7z", {"--password=wrong"}, {cannotOpen}},
        {"missing.7z", {}, {"The archive file was not found"}},
        {"*.7z", {}, {"Illegal path used in a wildcard expression"}},
        {"evil.7z", {}, {"#1007"}},
        {"drive.7z", {}, {"#1007"}},
    };
    for (const Case& c : cases) {
        const ToolRun run = extract(dir_ / c.archive, c.extra);
        EXPECT_FALSE(run.ok) << c.archive;
        EXPECT_TRUE(c.errors.count(run.error)) << c.archive << ": " << run.error;
        EXPECT_FALSE(fs::exists(out_ / "file.txt")) << c.archive;  // a failing file is not kept
    }
    EXPECT_EQ(outsideTarget(), before);
    EXPECT_TRUE(fs::is_empty(out_));
}

TEST_F(ArchiveLibrary, PasswordThroughTheCallbackExistingFilesAndCancel) {
    writeFile(src_ / "a.txt", std::string(3u << 20, 'a'));
    writeFile(src_ / "b.txt", "bee");
    const fs::path header = make7z("-pSecret -mhe=on -m0=LZMA2 -mx=1");
    ASSERT_TRUE(extract(header, {"--password=Secret", "--password-via-callback"}).ok);
    EXPECT_EQ(readFile(out_ / "b.txt"), "bee");

    writeFile(out_ / "b.txt", "old");
    ASSERT_TRUE(extract(header, {"--password=Secret", "--no-overwrite"}).ok);
    EXPECT_EQ(readFile(out_ / "b.txt"), "old");
    ASSERT_TRUE(extract(header, {"--password=Secret"}).ok);
    EXPECT_EQ(readFile(out_ / "b.txt"), "bee");

    fs::remove_all(out_);
    const ToolRun cancelled = extract(header, {"--password=Secret", "--cancel-at=50"});
    EXPECT_EQ(cancelled.error, "#1009");
    EXPECT_FALSE(fs::exists(out_ / "a.txt"));
}

TEST_F(ArchiveLibrary, ChosenFilesWithOrWithoutTheirFolders) {
    writeFile(src_ / "top.txt", "top");
    writeFile(src_ / "sub/inner/x.txt", "x");
    writeFile(src_ / "sub/y.txt", "y");
    const fs::path archive = make7z("-m0=LZMA2");
    ASSERT_TRUE(extract(archive, {"--files=sub\\inner\\x.txt|top.txt"}).ok);
    EXPECT_EQ(tree(out_), (std::map<std::string, std::string>{{"sub", "<dir>"}, {"sub/inner", "<dir>"}, {"sub/inner/x.txt", "x"}, {"top.txt", "top"}}));
    fs::remove_all(out_);
    ASSERT_TRUE(extract(archive, {"--flat"}).ok);
    EXPECT_EQ(tree(out_), (std::map<std::string, std::string>{{"top.txt", "top"}, {"x.txt", "x"}, {"y.txt", "y"}}));
}
