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

namespace {

std::string tempPath(const char* stem) {
    std::string t = std::string("/tmp/") + stem + "-XXXXXX";
    int fd = mkstemp(t.data());
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    close(fd);
    return t;
}

}  // namespace

WineProcess::WineProcess(const std::string& exe, const std::vector<std::string>& args, int timeoutSeconds,
                         const std::string& cwd, const std::vector<std::string>& env) {
    const std::string harness = sourceDir() + "/tests/harness/wine.sh";
    const std::string winrun = win32BuildDir() + "/tests/harness/winrun.exe";
    codeFile_ = tempPath("qs-exitcode");
    fs::remove(codeFile_);  // winrun writes it only once the program has ended
    outFile_ = tempPath("qs-output");

    std::vector<std::string> argv = {harness, "run", wineState(), "--timeout", std::to_string(timeoutSeconds)};
    if (!cwd.empty()) {
        argv.push_back("--cwd");
        argv.push_back(cwd);
    }
    argv.push_back(winrun);
    argv.push_back(toWindowsPath(codeFile_));
    for (const auto& setting : env) {
        argv.push_back("-e");
        argv.push_back(setting);
    }
    argv.push_back(toWindowsPath(exe));
    argv.insert(argv.end(), args.begin(), args.end());

    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        int out = open(outFile_.c_str(), O_WRONLY | O_TRUNC);
        int devnull = open("/dev/null", O_RDONLY);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        if (devnull >= 0) dup2(devnull, 0);
        std::vector<char*> cargv;
        for (auto& a : argv) cargv.push_back(a.data());
        cargv.push_back(nullptr);
        execv(cargv[0], cargv.data());
        _exit(127);
    }
    pid_ = pid;
}

WineProcess::~WineProcess() {
    if (!waited_) wait();
}

WineRun WineProcess::wait() {
    if (waited_) return result_;
    waited_ = true;
    int status = 0;
    waitpid(pid_, &status, 0);
    result_.timedOut = WIFEXITED(status) && WEXITSTATUS(status) == 124;
    std::ifstream outIn(outFile_, std::ios::binary);
    result_.output.assign(std::istreambuf_iterator<char>(outIn), {});
    std::ifstream codeIn(codeFile_);
    long long code;
    if (codeIn >> code) result_.exitCode = static_cast<int>(static_cast<unsigned int>(code));
    fs::remove(codeFile_);
    fs::remove(outFile_);
    return result_;
}

WineRun runUnderWine(const std::string& exe, const std::vector<std::string>& args, int timeoutSeconds,
                     const std::string& cwd, const std::vector<std::string>& env) {
    return WineProcess(exe, args, timeoutSeconds, cwd, env).wait();
}

WineRun runGuiDriver(const std::vector<std::string>& args, int timeoutSeconds) {
    return runUnderWine(win32BuildDir() + "/tests/harness/guidriver.exe", args, timeoutSeconds);
}

bool saveScreenshot(const std::string& pngPath) {
    std::ifstream displayIn(wineState() + "/display");
    std::string display;
    if (!(displayIn >> display)) return false;
    std::string cmd = "import -display " + display + " -window root '" + pngPath + "' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

}  // namespace qs::test
