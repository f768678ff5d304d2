// The start-up and shutdown sequence against an in-memory platform.
#include <gtest/gtest.h>

#include <stdexcept>

#include "bootstrap/startup.h"
#include "engine/engine.h"
#include "fake_platform.h"
#include "ui/dialog_engine.h"

using namespace qs;
using namespace qs::bootstrap;

namespace {

struct RecordingWindows final : StartupWindows {
    std::vector<std::string> calls;
    void show(const std::string& bitmap, const std::string& caption, const std::string& text) override {
        calls.push_back("show[" + bitmap + "][" + caption + "][" + text + "]");
    }
    void setProgress(int mn, int mx, int pos) override {
        calls.push_back("progress " + std::to_string(mn) + " " + std::to_string(mx) + " " + std::to_string(pos));
    }
    void advanceProgress() override { calls.push_back("step"); }
    void close() override { calls.push_back("close"); }
    void errorBox(const std::string& caption, const std::string& text, bool owned) override {
        calls.push_back(std::string(owned ? "box " : "unowned box ") + "[" + caption + "][" + text + "]");
    }
};

// An archive holding one file, readme.txt; extraction fails with code 2 when asked to.
struct FakeArchive final : ArchiveLibrary {
    std::optional<std::string> failure;
    test::FakeFileSystem* files = nullptr;
    std::vector<std::string> extracted;
    int mode = -1;
    bool listNames(const std::string&, const std::string&, ArchiveCallbackState&, std::vector<std::string>& names) override {
        names = {"readme.txt"};
        return true;
    }
    bool extract(const std::string&, const std::string& target, const std::vector<std::string>& names, int m,
                 const std::string&, ArchiveCallbackState& callbacks) override {
        if (failure) return false;
        EXPECT_EQ(callbacks.fileQueryAnswer(), 4);  // overwrite
        extracted = names;
        mode = m;
        files->addFile(target + "readme.txt", "unpacked");
        return true;
    }
    int lastError() override { return 2; }
};

struct FakeRunner final : ScriptRunner {
    std::function<void(Engine&)> body;
    bool ran = false;
    void run(Engine& e) override {
        ran = true;
        if (body) body(e);
    }
};

// A script of 34 lines: line 10 and 33 show dialogs, line 5 is a disabled one.
std::string appendedScript() {
    std::string commands, keys, params, disabled;
    for (int i = 0; i < 34; ++i) {
        bool dialog = i == 5 || i == 10 || i == 33;
        commands += dialog ? "Display Dialog\r\n" : "Comment\r\n";
        keys += "{K" + std::to_string(i) + "}\r\n";
        disabled += i == 5 ? "C\r\n" : "\r\n";
    }
    params = "{K5}\r\nOff\r\n{K10}\r\nWelcome\r\n{K33}\r\nFinish\r\n";
    std::string text = commands + "$\r\n" + keys + "$\r\n" + params + "$\r\n" + disabled + "$\r\n";
    for (int g = 4; g < 12; ++g) text += "$\r\n";
    return text;
}

const std::string kStub(64, 'M');  // the engine image before its appended data

class StartupTest : public ::testing::Test {
public:
    test::FakePlatform fake;
    std::unique_ptr<Engine> engine;
    RecordingWindows windows;
    FakeArchive archive;
    ui::DialogEngine dialogs;
    FakeRunner runner;
    StartupServices services{windows, archive, dialogs, runner};
    StartupInputs inputs;

    void SetUp() override {
        archive.files = &fake.files;
        fake.files.addFile("C:\\Pkg\\setup.exe", kStub + appendedScript());
        fake.files.addFile("C:\\Pkg\\setup.res", "7z");
        fake.files.addFile("C:\\Pkg\\setup.msi", "msi");
        fake.files.createDirectoryTree("C:\\Temp");
        inputs.engineAppendedOffset = kStub.size();
        inputs.rawCommandLine = "\"C:\\Pkg\\setup.exe\" /l=C:\\Logs\\Setup.TXT";
    }
    // A fresh engine for each run, as each process has one.
    int run() {
        engine = std::make_unique<Engine>(fake.platform);
        runner.ran = false;
        return runEngine(*engine, services, inputs);
    }

    // The trace log decoded from UTF-16LE, one entry per line.
    std::vector<std::string> traceLines() {
        std::string bytes = fake.files.content("c:\\logs\\setup.txt");
        std::string text;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            EXPECT_EQ(bytes[i + 1], '\0');
            text += bytes[i];
        }
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start));
        EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
        return lines;
    }
};

}  // namespace

TEST_F(StartupTest, FullRunTracesEveryStageAndRemovesTheSupportFolder) {
    fake.files.addFile("c:\\logs\\setup.txt", "old log that the first write replaces");
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(runner.ran);
    EXPECT_EQ(traceLines(), (std::vector<std::string>{
                                "<Quillset>", "  <SetupSplash>", "    <StubSize>", "    </StubSize>", "    <StubData>",
                                "    </StubData>", "    <GlobalLists>", "    </GlobalLists>", "    <SupportDir>",
                                "    </SupportDir>", "    <ExtractArchive>", "    </ExtractArchive>",
                                "    <ExtractResource>", "    </ExtractResource>", "    <ResourcePath>",
                                "    </ResourcePath>", "    <Dialogs>", "    </Dialogs>", "  </SetupSplash>",
                                "  <RunScript>", "  </RunScript>", "  <Free>", "  </Free>", "  <CachedSupportDir>",
                                "  </CachedSupportDir>", "</Quillset>"}));
    EXPECT_FALSE(fake.files.directoryExists("C:\\Temp\\yib1"));
    EXPECT_FALSE(fake.files.has("C:\\Temp\\yib.tmp"));
    EXPECT_TRUE(fake.system.restricted);
}

TEST_F(StartupTest, PreparesTheSupportFolderAndLoadsEnabledDialogsUnderTheirLineIndex) {
    fake.files.createDirectoryTree("C:\\Temp\\yib1");
    fake.files.createDirectoryTree("C:\\Temp\\yib2");
    fake.files.addFile("C:\\Pkg\\setup.bmp", "BM");
    runner.body = [&](Engine& e) {
        EXPECT_EQ(e.supportFolder, "C:\\Temp\\yib3\\");
        EXPECT_EQ(fake.files.content("C:\\Temp\\yib3\\setup.msi"), "msi");
        EXPECT_FALSE(fake.files.has("C:\\Temp\\yib3\\setup.msp"));
        EXPECT_EQ(fake.files.content("C:\\Temp\\yib3\\readme.txt"), "unpacked");
        EXPECT_EQ(e.msiFile(), "C:\\Temp\\yib3\\setup.msi");
        EXPECT_EQ(e.dataFolder, "C:\\Pkg\\data\\");
        EXPECT_EQ(e.engineFolder, "C:\\Pkg\\");
        EXPECT_EQ(e.engineBaseName, "setup");
        EXPECT_EQ(e.resourceArchive, "C:\\Pkg\\setup.res");
        EXPECT_EQ(e.commandLineTail, "/l=C:\\Logs\\Setup.TXT");
    };
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(archive.extracted, std::vector<std::string>{"readme.txt"});
    EXPECT_EQ(archive.mode, 0);
    EXPECT_EQ(dialogs.supportFolder(), "C:\\Temp\\yib3\\");
    EXPECT_EQ(dialogs.table(), (std::map<std::string, std::string>{{"10", "C:\\Temp\\yib3\\Welcome.dfm"},
                                                                  {"33", "C:\\Temp\\yib3\\Finish.dfm"}}));
    EXPECT_EQ(windows.calls,
              (std::vector<std::string>{"show[C:\\Pkg\\setup.bmp][Quillset Wizard][Quillset is preparing the Quillset "
                                        "Wizard which will install this application. Please wait.]",
                                        "progress 0 2 1", "step", "step", "close"}));
    EXPECT_FALSE(fake.files.directoryExists("C:\\Temp\\yib3"));
    EXPECT_TRUE(fake.files.directoryExists("C:\\Temp\\yib2"));
}

TEST_F(StartupTest, EarlyExitsShowTheirMessageAndLeaveTheSupportFolder) {
    struct Case {
        const char* name;
        std::function<void(StartupTest&)> arrange;
        int code;
        const char* message;
        bool supportFolderLeft;
    } cases[] = {
        {"no appended data", [](StartupTest& t) { t.inputs.engineAppendedOffset = kStub.size() + appendedScript().size(); },
         13, "For internal use only", false},
        {"archive missing", [](StartupTest& t) { t.fake.files.deleteFile("C:\\Pkg\\setup.res"); }, 14,
         "Setup resource not found", true},
        {"extraction failed", [](StartupTest& t) { t.archive.failure = "#2"; }, 15,
         "Setup resource decompression failure", true},
        {"no database", [](StartupTest& t) { t.fake.files.deleteFile("C:\\Pkg\\setup.msi"); }, 16,
         "Setup database not found", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake.files = test::FakeFileSystem();
        windows.calls.clear();
        archive.failure.reset();
        SetUp();
        c.arrange(*this);
        EXPECT_EQ(run(), c.code);
        EXPECT_EQ(windows.calls.back(), std::string("box [Quillset Wizard][") + c.message + "]");
        EXPECT_FALSE(runner.ran);
        EXPECT_EQ(fake.files.directoryExists("C:\\Temp\\yib1"), c.supportFolderLeft);
        std::vector<std::string> trace = traceLines();
        EXPECT_NE(trace.back(), "</Quillset>");
    }
}

TEST_F(StartupTest, SilentShowsNothingAndUpdateShowsOnlyErrorBoxes) {
    fake.files.deleteFile("C:\\Pkg\\setup.msi");
    inputs.rawCommandLine = "\"C:\\Pkg\\setup.exe\" /S";
    EXPECT_EQ(run(), 16);
    EXPECT_TRUE(windows.calls.empty());

    fake.files = test::FakeFileSystem();
    SetUp();
    fake.files.deleteFile("C:\\Pkg\\setup.msi");
    inputs.rawCommandLine = "\"C:\\Pkg\\setup.exe\" /update";
    EXPECT_EQ(run(), 16);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"box [Quillset Wizard][Setup database not found]"}));
}

TEST_F(StartupTest, PatchOnlyPackagePassesTheDatabaseCheck) {
    fake.files.deleteFile("C:\\Pkg\\setup.msi");
    fake.files.addFile("C:\\Pkg\\setup.msp", "msp");
    runner.body = [&](Engine& e) {
        EXPECT_TRUE(fake.files.has(e.supportFolder + "setup.msp"));
        EXPECT_FALSE(fake.files.has(e.supportFolder + "setup.msi"));
    };
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(runner.ran);
}

TEST_F(StartupTest, ErrorDuringTheScriptEndsWithElevenAndStillCleansUp) {
    runner.body = [](Engine&) { throw std::runtime_error("Boom"); };
    EXPECT_EQ(run(), 11);
    EXPECT_EQ(windows.calls.back(), "unowned box [Quillset Wizard][Runtime error in install: Boom]");
    EXPECT_FALSE(fake.files.directoryExists("C:\\Temp\\yib1"));
    std::vector<std::string> trace = traceLines();
    ASSERT_GE(trace.size(), 4u);
    EXPECT_EQ(trace[trace.size() - 4], "  <RunScript>");
    EXPECT_EQ(trace[trace.size() - 3], "  <CachedSupportDir>");
    EXPECT_EQ(trace.back(), "</Quillset>");
}

TEST_F(StartupTest, ParameterBeyondTheEndOfTheListIsAStartupError) {
    // Line 33's key is the last entry: its dialog name lies beyond the end of the list.
    std::string script = appendedScript();
    script.replace(script.find("{K33}\r\nFinish\r\n"), 15, "{K33}\r\n");
    fake.files.addFile("C:\\Pkg\\setup.exe", kStub + script);
    inputs.rawCommandLine = "\"C:\\Pkg\\setup.exe\" /s";
    EXPECT_EQ(run(), 11);
    EXPECT_FALSE(runner.ran);
}

TEST_F(StartupTest, LanguageFileFromTheArchiveLibraryReplacesTheMessages) {
    std::string section;
    for (int n = 1; n <= 115; ++n) section += (n == 4 ? std::string("Datenbank fehlt") : "t" + std::to_string(n)) + "\r\n";
    inputs.archiveLibraryAppendedData = section;
    fake.files.deleteFile("C:\\Pkg\\setup.msi");
    EXPECT_EQ(run(), 16);
    EXPECT_EQ(windows.calls.back(), "box [Quillset Wizard][Datenbank fehlt]");
    EXPECT_FALSE(fake.files.has("C:\\Temp\\lang.loc"));
}

TEST_F(StartupTest, CompatibilityMarks) {
    EXPECT_EQ(run(), 0);  // Windows 7
    EXPECT_EQ(fake.registry.readString(platform::RegistryRoot::ClassesRoot, "Applications\\setup.exe", "IsHostApp", {}), "");

    fake.files = test::FakeFileSystem();
    SetUp();
    fake.system.version = {6, 0, 6002, 2, ""};  // Vista
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(fake.registry.readDword(platform::RegistryRoot::CurrentUser,
                                      "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility "
                                      "Assistant\\Persisted",
                                      "C:\\Pkg\\setup.exe", {}),
              32u);
}
