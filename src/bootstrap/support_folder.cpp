#include "support_folder.h"

namespace qs::bootstrap {
namespace {

std::string withSlash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

void emptyFolder(platform::FileSystem& files, const std::string& folder) {
    for (const auto& entry : files.listDirectory(folder)) {
        std::string path = withSlash(folder) + entry.name;
        if (entry.isDirectory) {
            emptyFolder(files, path);
            files.removeDirectory(path);
        } else {
            files.setNormalAttributes(path);
            files.deleteFile(path);
        }
    }
}

}  // namespace

std::string chooseSupportFolder(platform::FileSystem& files, const std::string& temporaryFolder) {
    for (unsigned n = 1;; ++n) {
        std::string candidate = withSlash(temporaryFolder) + "yib" + std::to_string(n);
        if (!files.directoryExists(candidate) && !files.fileExists(candidate)) return candidate + "\\";
    }
}

void removeSupportFolder(platform::FileSystem& files, const std::string& folder) {
    if (folder.empty() || !files.directoryExists(folder)) return;
    for (int pass = 0; pass < 3; ++pass) emptyFolder(files, folder);
    files.removeDirectory(folder);
}

}  // namespace qs::bootstrap
