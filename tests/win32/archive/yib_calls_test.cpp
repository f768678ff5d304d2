// yib.lib's exported calls under Wine, with archives built in the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <shellapi.h>
#include <string>
#include <vector>

#include "../../../archive/win32/yib_api.h"
#include "../../unit/archive/archive_builder.h"

using namespace qs::archive::fixtures;

namespace {

class YibCalls : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "yib_calls_" + std::to_string(GetCurrentProcessId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(dir_.c_str(), nullptr);
        out_ = dir_ + "\\out";
    }
    void TearDown() override {
        std::string from = dir_ + '\0';
        SHFILEOPSTRUCTA op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationA(&op);
    }
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_ + "\\" + name;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
        CloseHandle(h);
        return path;
    }
    std::string read(const std::string& path) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return "<missing>";
        std::string s(1 << 16, '\0');
        DWORD got = 0;
        ReadFile(h, s.data(), static_cast<DWORD>(s.size()), &got, nullptr);
        CloseHandle(h);
        s.resize(got);
        return s;
    }
    bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::string sample() {
        return write("sample.7z", copyArchive({{u"dir", "", true}, {u"dir/a.txt", "alpha"}, {u"b.txt", "beta"}, {u"empty.txt", ""}}));
    }

    std::string dir_, out_;
};

int extract(const std::string& archive, const std::string& target, std::vector<const char*> names, int mode = 0,
            YibProgressCallback progress = nullptr, YibEntryDoneCallback done = nullptr, YibFileQueryCallback query = nullptr) {
    TSZW_TARGETFILES files{const_cast<char**>(names.data()), static_cast<int>(names.size())};
    return ExtractArchive(archive.c_str(), YIB_EXTRACT_TARGET_FILES, target.c_str(), &files, mode, nullptr, nullptr, progress, done,
                          query);
}

}  // namespace

TEST_F(YibCalls, ListsEntriesIn48ByteRecords) {
    YibEntry* entries = nullptr;
    int count = -1;
    void* h = OpenListArchive(sample().c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, &entries, &count);
    ASSERT_NE(h, nullptr) << GetLastArchiveError();
    ASSERT_EQ(count, 4);
    const char* base = reinterpret_cast<const char*>(entries);
    const char* expectNames[] = {"dir", "dir\\a.txt", "b.txt", "empty.txt"};
    for (int i = 0; i < count; ++i) EXPECT_STREQ(*reinterpret_cast<const char* const*>(base + 48 * i), expectNames[i]);
    EXPECT_EQ(entries[0].flags & YIB_ENTRY_FOLDER, YIB_ENTRY_FOLDER);
    EXPECT_EQ(entries[1].size, 5u);
    EXPECT_EQ(entries[1].packedSize, 9u);  // the block's packed size, on its first entry
    EXPECT_EQ(entries[2].packedSize, 0u);
    EXPECT_EQ(entries[1].crc, crcOf("alpha"));
    EXPECT_EQ(entries[1].flags, static_cast<std::uint32_t>(YIB_ENTRY_HAS_CRC));
    EXPECT_EQ(entries[3].flags, 0u);
    EXPECT_EQ(entries[3].block, 0xFFFFFFFFu);
    EXPECT_EQ(CloseListArchive(h), 1);
    EXPECT_EQ(CloseListArchive(h), 0);  // a handle is closed once
    EXPECT_EQ(GetLastArchiveError(), 1012);
}

TEST_F(YibCalls, ListingFailuresSetTheirCodes) {
    const std::string garbage = write("garbage.7z", "this is no archive, just text");
    const std::string damaged = write("damaged.7z", copyArchive({{u"a", "abc"}}).substr(0, 40));
    struct Case {
        std::string path;
        int code;
    };
    for (const Case& c : {Case{dir_ + "\\missing.7z", 1001}, Case{dir_ + "\\*.7z", 1002}, Case{dir_ + "\\a?.7z", 1002}, Case{garbage, 1003},
                          Case{damaged, 1003}, Case{dir_, 1001}}) {
        YibEntry* entries = reinterpret_cast<YibEntry*>(1);
        int count = -1;
        EXPECT_EQ(OpenListArchive(c.path.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, &entries, &count), nullptr) << c.path;
        EXPECT_EQ(GetLastArchiveError(), c.code) << c.path;
        EXPECT_EQ(entries, nullptr);
        EXPECT_EQ(count, 0);
    }
    EXPECT_EQ(OpenListArchive(sample().c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastArchiveError(), 1012);
}

TEST_F(YibCalls, ExtractsTheNamedFilesOrEverything) {
    const std::string archive = sample();
    ASSERT_NE(extract(archive, out_, {"DIR/A.TXT"}), 0) << GetLastArchiveError();
    EXPECT_EQ(read(out_ + "\\dir\\a.txt"), "alpha");
    EXPECT_FALSE(exists(out_ + "\\b.txt"));

    ASSERT_NE(ExtractArchive(archive.c_str(), YIB_EXTRACT_ALL, (out_ + "2").c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(read(out_ + "2\\b.txt"), "beta");
    EXPECT_EQ(read(out_ + "2\\empty.txt"), "");

    ASSERT_NE(extract(archive, out_ + "3", {"dir\\a.txt"}, YIB_MODE_NO_PATHS), 0);
    EXPECT_EQ(read(out_ + "3\\a.txt"), "alpha");
}

TEST_F(YibCalls, ExtractionFailuresSetTheirCodes) {
    const std::string archive = sample();
    const std::string evil = write("evil.7z", copyArchive({{u"ok.txt", "ok"}, {u"..\\..\\evil.txt", "evil"}}));
    std::string badCrc = copyArchive({{u"a.txt", "alpha"}});
    badCrc[32] ^= 1;  // first data byte
    const std::string crc = write("crc.7z", badCrc);
    struct Case {
        const char* name;
        std::function<int()> call;
        int code;
    };
    const Case cases[] = {
        {"not in archive", [&] { return extract(archive, out_, {"nothere.txt"}); }, 1010},
        {"unsafe name", [&] { return extract(evil, out_, {"ok.txt", "..\\..\\evil.txt"}); }, 1007},
        {"crc", [&] { return extract(crc, out_, {"a.txt"}); }, 1006},
        {"missing", [&] { return extract(dir_ + "\\none.7z", out_, {"a"}); }, 1001},
        {"bad mode", [&] { return extract(archive, out_, {"b.txt"}, 7); }, 1012},
        {"null record",
         [&] { return ExtractArchive(archive.c_str(), YIB_EXTRACT_TARGET_FILES, out_.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr); },
         1012},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), 0) << c.name;
        EXPECT_EQ(GetLastArchiveError(), c.code) << c.name;
    }
    EXPECT_FALSE(exists(out_ + "\\ok.txt"));  // an unsafe name stops the extraction before any write
    EXPECT_FALSE(exists(dir_ + "\\..\\evil.txt"));
    EXPECT_FALSE(exists(out_ + "\\a.txt"));  // a file failing its CRC is not kept
}

namespace {
int progressCalls = 0;
int __stdcall stopAtOnce(const char*, std::int64_t, std::int64_t) { return ++progressCalls, 0; }
std::vector<std::pair<int, int>> doneCalls;
int __stdcall recordDone(int done, int total) { return doneCalls.emplace_back(done, total), 1; }
int queryAnswer = 0;
std::string queryTarget, queryEntry;
std::uint32_t queryOldSize = 0, queryNewSize = 0;
int __stdcall answerQuery(const char* target, const char* entry, std::uint32_t oldLow, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t newLow, std::uint32_t, std::uint32_t, std::uint32_t) {
    queryTarget = target;
    queryEntry = entry;
    queryOldSize = oldLow;
    queryNewSize = newLow;
    return queryAnswer;
}
}  // namespace

TEST_F(YibCalls, CallbacksReportAndDecide) {
    const std::string archive = sample();
    EXPECT_EQ(extract(archive, out_, {"b.txt"}, 0, stopAtOnce), 0);
    EXPECT_EQ(GetLastArchiveError(), 1009);
    EXPECT_EQ(progressCalls, 1);

    doneCalls.clear();
    ASSERT_NE(extract(archive, out_, {"b.txt", "dir"}, 0, nullptr, recordDone), 0);
    EXPECT_EQ(doneCalls, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));

    // b.txt now exists: 1 keeps it, 4 overwrites it, 0 cancels.
    write("out\\b.txt", "old!!");
    queryAnswer = 1;
    ASSERT_NE(extract(archive, out_, {"b.txt"}, 0, nullptr, nullptr, answerQuery), 0);
    EXPECT_EQ(read(out_ + "\\b.txt"), "old!!");
    EXPECT_EQ(queryTarget, out_ + "\\b.txt");
    EXPECT_EQ(queryEntry, "b.txt");
    EXPECT_EQ(queryOldSize, 5u);
    EXPECT_EQ(queryNewSize, 4u);
    queryAnswer = 0;
    EXPECT_EQ(extract(archive, out_, {"b.txt"}, 0, nullptr, nullptr, answerQuery), 0);
    EXPECT_EQ(GetLastArchiveError(), 1009);
    SetFileAttributesA((out_ + "\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    queryAnswer = 4;
    ASSERT_NE(extract(archive, out_, {"b.txt"}, 0, nullptr, nullptr, answerQuery), 0) << GetLastArchiveError();
    EXPECT_EQ(read(out_ + "\\b.txt"), "beta");
}
