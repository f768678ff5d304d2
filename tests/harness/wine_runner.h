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
WineRun runUnderWine(const std::string& exe, const std::vector<std::string>& args,
                     int timeoutSeconds = 120, const std::string& cwd = {});

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
