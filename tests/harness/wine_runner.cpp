#include "wine_runner.h"

#include "test_paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace qs::test {
namespace {

// The environment may point a test at other folders; the build's own are the default.
std::string setting(const char* name, const char* builtIn) {
    const char* v = std::getenv(name);
    std::string value = (v && *v) ? v : builtIn;
    if (value.empty()) throw std::runtime_error(std::string("not configured: ") + name);
    return value;
}

std::string wineState() { return setting("QS_WINE_STATE", QS_WINE_STATE); }

}  // namespace

std::string win32BuildDir() { return setting("QS_WIN32_BUILD_DIR", QS_WIN32_BUILD_DIR); }
std::string nativeBuildDir() { return setting("QS_NATIVE_BUILD_DIR", QS_NATIVE_BUILD_DIR); }
std::string sourceDir() { return setting("QS_SOURCE_DIR", QS_SOURCE_DIR); }
std::string prefixDriveC() { return wineState() + "/prefix/drive_c"; }

std::string toWindowsPath(const std::string& unixPath) {
    std::string p = "Z:";
    for (char c : unixPath) p += (c == '/') ? '\\' : c;
    return p;
}

std::string makeScratchDir(const std::string& name) {
    fs::path dir = fs::path(nativeBuildDir()) / "scratch" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

WineRun runUnderWine(const std::string& exe, const std::vector<std::string>& args,
                     int timeoutSeconds, const std::string& cwd) {
    const std::string harness = sourceDir() + "/tests/harness/wine.sh";
    const std::string winrun = win32BuildDir() + "/tests/harness/winrun.exe";
    char codeTemplate[] = "/tmp/qs-exitcode-XXXXXX";
    int codeFd = mkstemp(codeTemplate);
    if (codeFd < 0) throw std::runtime_error("mkstemp failed");
    close(codeFd);
    fs::remove(codeTemplate);  // winrun writes it only once the program has ended
    const std::string codeFile = codeTemplate;

    std::vector<std::string> argv = {harness, "run", wineState(), "--timeout", std::to_string(timeoutSeconds)};
    if (!cwd.empty()) {
        argv.push_back("--cwd");
        argv.push_back(cwd);
    }
    argv.push_back(winrun);
    argv.push_back(toWindowsPath(codeFile));
    argv.push_back(toWindowsPath(exe));
    argv.insert(argv.end(), args.begin(), args.end());

    int pipeFds[2];
    if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        close(pipeFds[1]);
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) dup2(devnull, 0);
        std::vector<char*> cargv;
        for (auto& a : argv) cargv.push_back(a.data());
        cargv.push_back(nullptr);
        execv(cargv[0], cargv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    WineRun result;
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) result.output.append(buf, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    int harnessCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.timedOut = harnessCode == 124;

    std::ifstream codeIn(codeFile);
    long long code;
    if (codeIn >> code) result.exitCode = static_cast<int>(static_cast<unsigned int>(code));
    fs::remove(codeFile);
    return result;
}

}  // namespace qs::test
