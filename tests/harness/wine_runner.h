// Runs Windows programs under Wine for native system tests.
//
// The prefix, display and wineserver are those of the current ctest run (the "wine" fixture,
// see tests/harness/wine.sh). The folders are this build's own; the environment variables
// QS_WINE_STATE, QS_WIN32_BUILD_DIR, QS_SOURCE_DIR and QS_NATIVE_BUILD_DIR override them.
#pragma once

#include <string>
#include <vector>

namespace qs::test {

struct WineRun {
    int exitCode = -1;      // the program's full 32-bit exit code; -1 when it could not be read
    bool timedOut = false;  // the program was killed after the time-out
    std::string output;     // what the run printed on stdout and stderr
};

// Runs `exe` (a Unix path) with `args` passed verbatim, in working folder `cwd` (Unix path,
// empty for the current one), and waits at most `timeoutSeconds`.
// `env` holds NAME=VALUE settings for the program's environment (e.g. TMP and TEMP).
WineRun runUnderWine(const std::string& exe, const std::vector<std::string>& args,
                     int timeoutSeconds = 120, const std::string& cwd = {},
                     const std::vector<std::string>& env = {});

// A program started under Wine that the test waits for later (to drive its windows meanwhile).
class WineProcess {
public:
    WineProcess(const std::string& exe, const std::vector<std::string>& args, int timeoutSeconds = 120,
                const std::string& cwd = {}, const std::vector<std::string>& env = {});
    ~WineProcess();  // waits, if nobody did
    WineProcess(const WineProcess&) = delete;
    WineProcess& operator=(const WineProcess&) = delete;
    WineRun wait();

private:
    int pid_ = -1;
    std::string outFile_;
    std::string codeFile_;
    bool waited_ = false;
    WineRun result_;
};

// Runs the GUI driver (tests/harness/guidriver.c) with `args`: "list", "wait TITLE [S]",
// "click TITLE CAPTION", "type TITLE INDEX TEXT".
WineRun runGuiDriver(const std::vector<std::string>& args, int timeoutSeconds = 60);

// Saves a PNG of the test display (the whole Xvfb screen); true on success.
bool saveScreenshot(const std::string& pngPath);

// "Z:\..." for an absolute Unix path, as Wine's Z: drive maps the Unix root.
std::string toWindowsPath(const std::string& unixPath);

// The C: drive of the run's prefix as a Unix path (".../prefix/drive_c").
std::string prefixDriveC();

std::string win32BuildDir();
std::string nativeBuildDir();
std::string sourceDir();

// A fresh empty folder under the native build folder for one test's files.
std::string makeScratchDir(const std::string& name);

}  // namespace qs::test
