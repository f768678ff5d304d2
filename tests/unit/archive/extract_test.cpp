// Extraction natively: archives written by 7zz with the methods setup authors use, extracted by
// our reader and compared with their source tree; and the extractor's own rules (unsafe names,
// cancelling, existing files, flat extraction).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include <unistd.h>

#include "folder_files.h"
#include "archive/archive_error.h"
#include "archive/extractor.h"
#include "archive/sevenzip_archive.h"
#include "archive_builder.h"

using namespace qs::archive;
namespace fs = std::filesystem;

using qs::archive::fixtures::readFile;
using qs::archive::fixtures::tree;
using qs::archive::fixtures::writeFile;

namespace {

class ExtractTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("qs-extract-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "src");
        fs::create_directories(root_ / "out");
    }
    void TearDown() override { fs::remove_all(root_); }

    void makeSourceTree() {
        std::mt19937 rng(7);
        std::string noise(300000, '\0');
        for (char& c : noise) c = static_cast<char>(rng());
        std::string text;
        for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i * 7919 % 1000) + " of the setup text\r\n";
        writeFile(root_ / "src/readme.txt", text);
        writeFile(root_ / "src/data/noise.bin", noise);
        writeFile(root_ / "src/data/deeper/still deeper/name with blanks.txt", "blank names work");
        writeFile(root_ / "src/data/empty.txt", "");
        fs::create_directories(root_ / "src/empty folder");
        fs::copy_file("/bin/ls", root_ / "src/tool.bin");  // an executable, for the BCJ filter
    }

    // Runs 7zz in the source folder; returns the archive's path.
    fs::path make7z(const std::string& switches) {
        const fs::path archive = root_ / "test.7z";
        fs::remove(archive);
        const std::string cmd = "cd '" + (root_ / "src").string() + "' && 7zz a -bd -bso0 -bsp0 " + switches + " '" + archive.string() + "' . >/dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return archive;
    }

    std::unique_ptr<SevenZipArchive> open(const fs::path& archive, const std::string& password = {}) {
        auto input = files_.openInput(archive.u16string());
        if (!input) throw std::runtime_error("cannot open " + archive.string());
        PasswordProvider pw;
        if (!password.empty()) pw = [password] { return std::optional<std::u16string>(std::u16string(password.begin(), password.end())); };
        return std::make_unique<SevenZipArchive>(std::move(input), pw);
    }

    void extractAll(SevenZipArchive& a, const ExtractCallbacks& callbacks = {}, bool keepPaths = true) {
        ExtractOptions options;
        options.targetFolder = (root_ / "out").u16string();
        options.keepPaths = keepPaths;
        extractEntries(a, files_, std::vector<bool>(a.entries().size(), true), options, callbacks);
    }

    ArchiveErrorKind failure(const std::function<void()>& f) {
        try {
            f();
        } catch (const ArchiveError& e) {
            return e.kind();
        }
        ADD_FAILURE() << "no error";
        return ArchiveErrorKind::Io;
    }

    fs::path root_;
    StdFileAccess files_;
};

}  // namespace

TEST_F(ExtractTest, ArchivesOf7zzExtractToTheirSourceTree) {
    makeSourceTree();
    const char* const variants[] = {
        "-m0=Copy", "-m0=LZMA", "-m0=LZMA2 -mx=1", "-mx=5", "-mx=9", "-mx=9 -ms=off", "-ms=off", "-mf=BCJ -m0=LZMA", "-mf=Delta:4 -m0=LZMA2",
        "-pSecret", "-pSecret -mhe=on", "-ms=off -pSecret -m0=Copy",
    };
    for (const char* v : variants) {
        SCOPED_TRACE(v);
        const fs::path archive = make7z(v);
        fs::remove_all(root_ / "out");
        auto a = open(archive, "Secret");
        extractAll(*a);
        EXPECT_EQ(tree(root_ / "out"), tree(root_ / "src"));
    }
}

TEST_F(ExtractTest, WrongOrMissingPasswordIsReportedAsSuch) {
    writeFile(root_ / "src/a.txt", std::string(5000, 'a'));
    const fs::path data = make7z("-pSecret");
    EXPECT_EQ(failure([&] { extractAll(*open(data, "wrong")); }), ArchiveErrorKind::WrongPassword);
    EXPECT_EQ(failure([&] { extractAll(*open(data)); }), ArchiveErrorKind::WrongPassword);
    EXPECT_FALSE(fs::exists(root_ / "out/a.txt"));
    const fs::path header = make7z("-pSecret -mhe=on");
    EXPECT_EQ(failure([&] { open(header, "wrong"); }), ArchiveErrorKind::WrongPassword);
    EXPECT_EQ(failure([&] { open(header); }), ArchiveErrorKind::WrongPassword);
}

TEST_F(ExtractTest, DamagedDataIsCaughtAndItsFileNotKept) {
    std::mt19937 rng(3);
    std::string data(200000, '\0');
    for (char& c : data) c = static_cast<char>(rng() % 16);
    writeFile(root_ / "src/a.bin", data);
    for (const char* v : {"-m0=LZMA2", "-m0=Copy"}) {
        SCOPED_TRACE(v);
        std::string bytes = readFile(make7z(v));
        bytes[32 + 5000] ^= 0x20;  // inside the packed data
        writeFile(root_ / "bad.7z", bytes);
        fs::remove_all(root_ / "out");
        const ArchiveErrorKind kind = failure([&] { extractAll(*open(root_ / "bad.7z")); });
        EXPECT_TRUE(kind == ArchiveErrorKind::Corrupt || kind == ArchiveErrorKind::CrcMismatch);
        EXPECT_FALSE(fs::exists(root_ / "out/a.bin"));
        // A cut archive loses its header, at its end.
        writeFile(root_ / "cut.7z", bytes.substr(0, bytes.size() / 2));
        EXPECT_EQ(failure([&] { open(root_ / "cut.7z"); }), ArchiveErrorKind::Corrupt);
    }
}

TEST_F(ExtractTest, UnsafeNamesWriteNothing) {
    for (const char16_t* evil : {u"../evil.txt", u"sub/../../evil.txt", u"/tmp/evil.txt", u"C:\\evil.txt", u"sub\\..\\..\\evil.txt"}) {
        const std::string bytes = fixtures::copyArchive({{u"good.txt", "fine"}, {evil, "evil"}});
        writeFile(root_ / "evil.7z", bytes);
        EXPECT_EQ(failure([&] { extractAll(*open(root_ / "evil.7z")); }), ArchiveErrorKind::UnsafePath);
        EXPECT_TRUE(fs::is_empty(root_ / "out"));
        EXPECT_FALSE(fs::exists(root_ / "evil.txt"));
    }
}

TEST_F(ExtractTest, ALinkInTheTargetIsNotFollowed) {
    fs::create_directories(root_ / "elsewhere");
    fs::create_directory_symlink(root_ / "elsewhere", root_ / "out/sub");
    writeFile(root_ / "a.7z", fixtures::copyArchive({{u"sub/x.txt", "x"}}));
    EXPECT_EQ(failure([&] { extractAll(*open(root_ / "a.7z")); }), ArchiveErrorKind::UnsafePath);
    EXPECT_TRUE(fs::is_empty(root_ / "elsewhere"));
}

TEST_F(ExtractTest, ProgressCountsSelectedBytesAndCanCancel) {
    writeFile(root_ / "src/a.bin", std::string(3 << 20, 'a'));
    writeFile(root_ / "src/b.bin", std::string(1 << 20, 'b'));
    const fs::path archive = make7z("-m0=LZMA2 -mx=1");
    std::uint64_t last = 0, total = 0;
    int calls = 0;
    ExtractCallbacks cb;
    cb.progress = [&](const Entry&, std::uint64_t done, std::uint64_t all) {
        EXPECT_GE(done, last);
        last = done;
        total = all;
        ++calls;
        return true;
    };
    extractAll(*open(archive), cb);
    EXPECT_EQ(total, 4u << 20);
    EXPECT_EQ(last, total);
    EXPECT_GE(calls, 4);

    fs::remove_all(root_ / "out");
    cb.progress = [&](const Entry&, std::uint64_t done, std::uint64_t) { return done < (1u << 20); };
    EXPECT_EQ(failure([&] { extractAll(*open(archive), cb); }), ArchiveErrorKind::Aborted);
    EXPECT_FALSE(fs::exists(root_ / "out/a.bin"));  // the file being written is removed
}

TEST_F(ExtractTest, ExistingFilesAreKeptOrOverwrittenAsAnswered) {
    writeFile(root_ / "a.7z", fixtures::copyArchive({{u"x.txt", "new"}, {u"y.txt", "new"}}));
    struct Case {
        OverwriteAnswer answer;
        const char* expect;
    };
    for (const Case& c : {Case{OverwriteAnswer::Overwrite, "new"}, Case{OverwriteAnswer::Skip, "old"}}) {
        writeFile(root_ / "out/x.txt", "old");
        fs::remove(root_ / "out/y.txt");
        ExtractCallbacks cb;
        int asked = 0;
        cb.overwrite = [&](const Path&, const Entry& e, const ExistingFile& existing) {
            ++asked;
            EXPECT_EQ(e.name, u"x.txt");
            EXPECT_EQ(existing.size, 3u);
            return c.answer;
        };
        extractAll(*open(root_ / "a.7z"), cb);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(readFile(root_ / "out/x.txt"), c.expect);
        EXPECT_EQ(readFile(root_ / "out/y.txt"), "new");
    }
}

TEST_F(ExtractTest, FlatExtractionDropsFolders) {
    writeFile(root_ / "a.7z", fixtures::copyArchive({{u"d", "", true}, {u"d/e/x.txt", "x"}, {u"y.txt", "y"}}));
    extractAll(*open(root_ / "a.7z"), {}, false);
    EXPECT_EQ(tree(root_ / "out"), (std::map<std::string, std::string>{{"x.txt", "x"}, {"y.txt", "y"}}));
}

TEST_F(ExtractTest, OnlySelectedEntriesAreWrittenFromASolidFolder) {
    writeFile(root_ / "a.7z", fixtures::copyArchive({{u"1.txt", "one"}, {u"2.txt", "two"}, {u"3.txt", "three"}}));
    auto a = open(root_ / "a.7z");
    ExtractOptions options;
    options.targetFolder = (root_ / "out").u16string();
    extractEntries(*a, files_, {false, false, true}, options, {});
    EXPECT_EQ(tree(root_ / "out"), (std::map<std::string, std::string>{{"3.txt", "three"}}));
}
