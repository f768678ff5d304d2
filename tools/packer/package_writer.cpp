// Writing the package folder (see package_writer.h).
#include "packer/package_writer.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <optional>
#include <span>
#include <sstream>
#include <vector>

#include "bootstrap/pe_appended.h"
#include "packer/lists_builder.h"
#include "packer/lists_writer.h"
#include "packer/pack_error.h"
#include "packer/script_source.h"

namespace qs::pack {

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& file, const std::string& a, const std::string& b = {}) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(a.data(), static_cast<std::streamsize>(a.size()));
    out.write(b.data(), static_cast<std::streamsize>(b.size()));
    out.close();
    if (!out) throw PackError(file.string(), 0, "cannot write the file");
}

void requireFile(const fs::path& file, const char* what) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) throw PackError(file.string(), 0, std::string(what) + " not found");
}

void requireFolder(const fs::path& folder, const char* what) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw PackError(folder.string(), 0, std::string(what) + " not found");
}

void copyFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) throw PackError(from.string(), 0, "cannot copy to " + to.string() + ": " + ec.message());
}

// Runs 7-Zip in `folder` to add everything in it (recursively, hidden files too) to `archive`.
void runSevenZip(const std::string& sevenZip, const fs::path& folder, const fs::path& archive, const fs::path& log) {
    std::vector<std::string> args = {sevenZip, "a", "-t7z", "-bd", "-y", archive.string(), "*"};
    pid_t pid = fork();
    if (pid < 0) throw PackError("cannot start " + sevenZip);
    if (pid == 0) {
        int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        if (chdir(folder.c_str()) != 0) _exit(126);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) throw PackError("cannot wait for " + sevenZip);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
    std::string output;
    {
        std::ifstream in(log);
        std::ostringstream s;
        s << in.rdbuf();
        output = s.str();
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        throw PackError("cannot run '" + sevenZip + "' (install the 7zip package, which provides 7zz)");
    throw PackError("'" + sevenZip + "' failed to pack " + folder.string() + " (exit status " +
                    std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "):\n" + output);
}

// Removes a folder tree on scope exit unless released.
class TreeGuard {
public:
    explicit TreeGuard(fs::path p) : path_(std::move(p)) {}
    ~TreeGuard() {
        if (!path_.empty()) {
            std::error_code ec;
            fs::remove_all(path_, ec);
        }
    }
    void release() { path_.clear(); }

private:
    fs::path path_;
};

}  // namespace

std::string readStrippedImage(const fs::path& file, const char* what) {
    requireFile(file, what);
    std::string bytes = readSourceFile(file);
    auto span = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    std::optional<PeLayout> layout = readPeLayout(span);
    if (!layout) throw PackError(file.string(), 0, std::string(what) + " is not a PE image");
    if (layout->optionalHeaderSize != kPeOptionalHeaderSize)
        throw PackError(file.string(), 0,
                        std::string(what) + " has a " + std::to_string(layout->optionalHeaderSize) +
                            "-byte optional header; the engine finds appended data only in 32-bit images (224 bytes)");
    if (bytes.size() < layout->appendedOffset)
        throw PackError(file.string(), 0, std::string(what) + " is cut off before the end of its last section");
    if (std::uint64_t extra = appendedDataSize(*layout, bytes.size()))
        throw PackError(file.string(), 0,
                        std::string(what) + " already has " + std::to_string(extra) +
                            " bytes after its last section (not stripped, or already packed)");
    return bytes;
}

PackResult writePackage(const PackageDescription& d, const PackOptions& options) {
    // Everything is read and checked before the first byte is written.
    const fs::path engine = options.engine.empty() ? d.engine : options.engine;
    const fs::path yib = options.archiveLibrary.empty() ? d.archiveLibrary : options.archiveLibrary;
    if (engine.empty()) throw PackError(d.sourceName, 0, "no engine given ([package] engine or --engine)");
    if (yib.empty()) throw PackError(d.sourceName, 0, "no archive library given ([package] archive-library or --archive-library)");
    if (options.output.empty()) throw PackError("no output folder given");

    const Script script = loadScript(d.script, d.folder);
    PackResult result;
    result.scriptLines = script.lines.size();
    result.globalLists = writeGlobalLists(buildGlobalLists(script, d));

    const std::string engineBytes = readStrippedImage(engine, "the engine");
    const std::string yibBytes = readStrippedImage(yib, "the archive library");
    std::string languageBytes;
    if (!d.languageFile.empty()) {
        requireFile(d.languageFile, "language file");
        languageBytes = readSourceFile(d.languageFile);
    }
    if (!d.msi.empty()) requireFile(d.msi, "installer database (msi)");
    if (!d.msp.empty()) requireFile(d.msp, "patch package (msp)");
    if (!d.bmp.empty()) requireFile(d.bmp, "splash picture (bmp)");
    if (!d.support.empty()) requireFolder(d.support, "support folder");
    if (!d.data.empty()) requireFolder(d.data, "data folder");

    const fs::path output = fs::absolute(options.output).lexically_normal();
    const fs::path outName = output.filename().empty() ? output.parent_path().filename() : output.filename();
    const fs::path outPath = output.filename().empty() ? output.parent_path() : output;
    std::error_code ec;
    if (fs::exists(outPath, ec) && !options.replace)
        throw PackError(outPath.string(), 0, "the output folder exists; pass --replace to replace it");

    fs::create_directories(outPath.parent_path(), ec);
    const std::string suffix = std::to_string(getpid());
    const fs::path work = outPath.parent_path() / ("." + outName.string() + ".partial-" + suffix);
    fs::remove_all(work, ec);
    if (!fs::create_directory(work, ec)) throw PackError(work.string(), 0, "cannot create the folder: " + ec.message());
    TreeGuard guard(work);

    writeFile(work / (d.name + ".exe"), engineBytes, result.globalLists);
    writeFile(work / "yib.lib", yibBytes, languageBytes);
    if (!d.msi.empty()) copyFile(d.msi, work / (d.name + ".msi"));
    if (!d.msp.empty()) copyFile(d.msp, work / (d.name + ".msp"));
    if (!d.bmp.empty()) copyFile(d.bmp, work / "setup.bmp");
    if (!d.data.empty()) {
        fs::copy(d.data, work / "data", fs::copy_options::recursive, ec);
        if (ec) throw PackError(d.data.string(), 0, "cannot copy the data folder: " + ec.message());
    }

    // 7-Zip packs from inside the folder so that entry names are relative to it.
    const fs::path archive = fs::absolute(work / (d.name + ".res"));
    const fs::path scratch = outPath.parent_path() / ("." + outName.string() + ".scratch-" + suffix);
    TreeGuard scratchGuard(scratch);
    fs::remove_all(scratch, ec);
    fs::create_directory(scratch, ec);
    fs::path supportFolder = d.support;
    if (supportFolder.empty()) {
        supportFolder = scratch / "empty";
        fs::create_directory(supportFolder, ec);
    }
    runSevenZip(options.sevenZip, fs::absolute(supportFolder), archive, fs::absolute(scratch / "7zz.log"));
    requireFile(archive, "resource archive made by 7-Zip");

    // Swap the finished folder into place.
    const fs::path old = outPath.parent_path() / ("." + outName.string() + ".old-" + suffix);
    TreeGuard oldGuard(old);
    if (fs::exists(outPath, ec)) {
        fs::rename(outPath, old, ec);
        if (ec) throw PackError(outPath.string(), 0, "cannot replace the output folder: " + ec.message());
    }
    fs::rename(work, outPath, ec);
    if (ec) {
        std::error_code ignored;
        if (fs::exists(old, ignored)) fs::rename(old, outPath, ignored);
        throw PackError(outPath.string(), 0, "cannot move the package into place: " + ec.message());
    }
    guard.release();
    return result;
}

}  // namespace qs::pack
