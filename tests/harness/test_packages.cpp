#include "test_packages.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

#include "wine_runner.h"

namespace fs = std::filesystem;

namespace qs::test {
namespace {

std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command; returns its exit status and puts its output into `output`.
int runCommand(const std::string& command, std::string& output) {
    std::string full = command + " 2>&1";
    FILE* pipe = popen(full.c_str(), "r");
    if (!pipe) return -1;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) output.append(buf, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The demo's installer database, built once per test process.
std::string demoMsi() {
    static std::once_flag once;
    static std::string path;
    std::call_once(once, [] {
        fs::path dir = fs::path(nativeBuildDir()) / "scratch" / "msi";
        fs::create_directories(dir);
        path = (dir / ("demo-" + std::to_string(getpid()) + ".msi")).string();
        std::string out;
        std::string cmd = "cd " + shellQuote(sourceDir() + "/examples/demo/msi") + " && wixl -o " + shellQuote(path) +
                          " demo.wxs";
        if (runCommand(cmd, out) != 0) throw std::runtime_error("wixl failed: " + out);
    });
    return path;
}

}  // namespace

std::string buildPackage(const std::string& name, const PackageSpec& spec) {
    fs::path work = makeScratchDir(name);
    fs::path support = work / "support";
    fs::create_directories(support);
    for (const auto& [file, content] : spec.supportFiles) {
        fs::create_directories((support / file).parent_path());
        std::ofstream(support / file, std::ios::binary) << content;
    }
    std::ofstream(work / "setup.qss", std::ios::binary) << spec.script;

    std::ostringstream ini;
    ini << "[package]\nname = setup\nscript = setup.qss\nsupport = support\n";
    if (spec.msi) ini << "msi = " << demoMsi() << "\n";
    if (spec.msp) {
        std::ofstream(work / "stand-in.msp", std::ios::binary) << "not a real patch";
        ini << "msp = stand-in.msp\n";
    }
    if (!spec.languageFile.empty()) {
        std::ofstream(work / "lang.loc", std::ios::binary) << spec.languageFile;
        ini << "language-file = lang.loc\n";
    }
    ini << "\n[product]\ncode = {6F1C2A8E-4B7D-4E3A-9C21-5A0D3E7B9F11}\n"
           "package-code = {A4E1D7C2-9B3F-4A68-8E05-1C7F2B6D9E40}\ntitle = Test Product\n"
           "company = Test Company\nversion = 1.0.0\nbuild-mode = 1\ncode-page = 1252\n";
    ini << spec.extraDescription;
    std::ofstream(work / "package.ini", std::ios::binary) << ini.str();

    fs::path package = work / "package";
    std::string out;
    std::string cmd = shellQuote(nativeBuildDir() + "/bin/quillpack") + " " + shellQuote((work / "package.ini").string()) +
                      " -o " + shellQuote(package.string()) + " --engine " +
                      shellQuote(win32BuildDir() + "/bin/setup.exe") + " --archive-library " +
                      shellQuote(win32BuildDir() + "/bin/yib.lib");
    if (runCommand(cmd, out) != 0) throw std::runtime_error("quillpack failed: " + out);
    return package.string();
}

std::string prefixTempDir() {
    for (const auto& user : fs::directory_iterator(fs::path(prefixDriveC()) / "users")) {
        if (user.path().filename() == "Public") continue;
        fs::path temp = user.path() / "Temp";
        if (fs::is_directory(temp)) return temp.string();
    }
    throw std::runtime_error("no user Temp folder in the test prefix");
}

std::string readBinaryFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string readUtf16File(const std::string& path) {
    std::string bytes = readBinaryFile(path);
    std::string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return out;
}

std::vector<std::string> readTraceLines(const std::string& path) {
    std::vector<std::string> out;
    const std::string text = readUtf16File(path);
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    return out;
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace qs::test
