// Start-up and shutdown of the built engine under Wine: exit paths, the support folder, the
// trace log, the start-up windows and the silent and update switches.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "test_packages.h"
#include "wine_runner.h"

using namespace qs::test;
namespace fs = std::filesystem;

namespace {

std::uint32_t le32(const std::string& b, size_t at) {
    auto u = [&](size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(i))); };
    return u(at) | u(at + 1) << 8 | u(at + 2) << 16 | u(at + 3) << 24;
}
std::uint16_t le16(const std::string& b, size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b.at(at)) | static_cast<unsigned char>(b.at(at + 1)) << 8);
}

std::string engineExe() { return win32BuildDir() + "/bin/setup.exe"; }

// A test's own temporary folder for the engine (TMP and TEMP point there).
struct TempFolder {
    std::string unix;
    std::vector<std::string> env;
    explicit TempFolder(const std::string& name) : unix(makeScratchDir(name + "-temp")) {
        env = {"TMP=" + toWindowsPath(unix), "TEMP=" + toWindowsPath(unix)};
    }
    bool has(const std::string& entry) const { return fs::exists(fs::path(unix) / entry); }
};

// A bare engine (no appended data) next to its archive library.
std::string bareEngine(const std::string& name) {
    fs::path dir = makeScratchDir(name);
    fs::copy_file(engineExe(), dir / "setup.exe");
    fs::copy_file(win32BuildDir() + "/bin/yib.lib", dir / "yib.lib");
    return dir.string();
}

}  // namespace

// Anything after the last section would be taken for appended script data, so the engine must
// be a stripped 32-bit GUI image that ends with its last section.
TEST(EngineImage, IsAStripped32BitGuiImageEndingAtItsLastSection) {
    std::string img = readBinaryFile(engineExe());
    ASSERT_GT(img.size(), 1024u);
    ASSERT_EQ(img.substr(0, 2), "MZ");
    const size_t pe = le32(img, 60);
    ASSERT_EQ(le32(img, pe), 0x00004550u);  // "PE\0\0"
    const size_t fileHeader = pe + 4;
    EXPECT_EQ(le16(img, fileHeader), 0x014Cu);  // i386
    EXPECT_EQ(le32(img, fileHeader + 8), 0u);   // no COFF symbol table
    const unsigned sections = le16(img, fileHeader + 2);
    const unsigned optSize = le16(img, fileHeader + 16);
    const size_t opt = fileHeader + 20;
    EXPECT_EQ(le16(img, opt), 0x10Bu);   // PE32
    EXPECT_EQ(le16(img, opt + 68), 2u);  // Windows GUI subsystem
    size_t end = 0;
    for (unsigned i = 0; i < sections; ++i) {
        size_t sec = opt + optSize + 40 * i;
        end = std::max<size_t>(end, le32(img, sec + 20) + le32(img, sec + 16));
    }
    EXPECT_EQ(end, img.size());
}

TEST(Startup, PackedSetupRunsTracesAndRemovesItsSupportFolder) {
    TempFolder temp("startup-full");
    fs::create_directories(fs::path(temp.unix) / "yib1");
    fs::create_directories(fs::path(temp.unix) / "yib2");
    const std::string package = buildPackage("startup-full", {});
    const std::string log = fs::path(package).parent_path() / "Logs";
    fs::create_directories(log);
    std::ofstream(log + "/trace.log") << "an older log that the run replaces";

    WineRun run = runUnderWine(package + "/setup.exe", {"/S", "/l=" + toWindowsPath(log) + "\\TRACE.LOG"}, 120, {},
                               temp.env);
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;

    // The log path is taken in lower case; the log is UTF-16LE without byte-order mark.
    const std::string bytes = readBinaryFile(log + "/trace.log");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("<\0Q\0", 4));
    std::vector<std::string> trace = readTraceLines(log + "/trace.log");
    std::vector<std::string> expected = {
        "<Quillset>", "  <SetupSplash>", "    <StubSize>", "    </StubSize>", "    <StubData>", "    </StubData>",
        "    <GlobalLists>", "    </GlobalLists>", "    <SupportDir>", "    </SupportDir>", "    <ExtractArchive>",
        "    </ExtractArchive>", "    <ExtractResource>", "    </ExtractResource>", "    <ResourcePath>",
        "    </ResourcePath>", "    <Dialogs>", "    </Dialogs>", "  </SetupSplash>", "  <RunScript>"};
    // The interpreter nests its own elements inside RunScript.
    ASSERT_GE(trace.size(), expected.size() + 6);
    EXPECT_EQ(std::vector<std::string>(trace.begin(), trace.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(std::vector<std::string>(trace.end() - 6, trace.end()),
              (std::vector<std::string>{"  </RunScript>", "  <Free>", "  </Free>", "  <CachedSupportDir>",
                                        "  </CachedSupportDir>", "</Quillset>"}));

    // yib1 and yib2 were taken: the run used yib3 and removed it; the others stay untouched.
    EXPECT_FALSE(temp.has("yib3"));
    EXPECT_TRUE(temp.has("yib1"));
    EXPECT_TRUE(temp.has("yib2"));
    EXPECT_FALSE(temp.has("yib.tmp"));
}

TEST(Startup, SilentEarlyExitsSetTheirCodesAndLeaveTheSupportFolder) {
    struct Case {
        const char* name;
        int code;
        bool supportFolderLeft;
    } cases[] = {
        {"no-script", 13, false}, {"no-resource", 14, true}, {"bad-resource", 15, true}, {"no-database", 16, true},
        {"bad-lists", 11, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp(std::string("startup-") + c.name);
        fs::create_directories(fs::path(temp.unix) / "yib1");
        fs::create_directories(fs::path(temp.unix) / "yib2");
        std::string exe;
        if (std::string(c.name) == "no-script") {
            exe = bareEngine("startup-no-script") + "/setup.exe";
        } else if (std::string(c.name) == "bad-lists") {
            // Group 7 starts with the build mode, which must be a number.
            std::string dir = bareEngine("startup-bad-lists");
            std::ofstream(dir + "/setup.exe", std::ios::binary | std::ios::app)
                << "Comment\r\n$\r\n{K}\r\n$\r\n$\r\n\r\n$\r\n{P}\r\nT\r\n$\r\n$\r\n\r\n$\r\nnot a number\r\n$\r\n";
            exe = dir + "/setup.exe";
        } else {
            std::string package = buildPackage(std::string("startup-") + c.name, {});
            if (c.code == 14) fs::remove(package + "/setup.res");
            if (c.code == 15) {
                std::string res = readBinaryFile(package + "/setup.res");
                res.resize(res.size() / 2);
                std::ofstream(package + "/setup.res", std::ios::binary | std::ios::trunc) << res;
            }
            if (c.code == 16) fs::remove(package + "/setup.msi");
            exe = package + "/setup.exe";
        }
        WineRun run = runUnderWine(exe, {"-qn"}, 120, {}, temp.env);
        ASSERT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, c.code) << run.output;
        EXPECT_EQ(temp.has("yib3"), c.supportFolderLeft);
    }
}
