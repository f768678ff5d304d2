#include <windows.h>

#include "file_system_win32.h"

namespace qs::platform {
namespace {

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

// A file handle that closes itself.
struct Handle {
    HANDLE h;
    explicit Handle(HANDLE handle) : h(handle) {}
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

bool writeAll(HANDLE h, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

bool Win32FileSystem::fileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::directoryExists(const std::string& path) {
    DWORD a = GetFileAttributesA(withoutTrailingSlash(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::createDirectoryTree(const std::string& path) {
    std::string p = withoutTrailingSlash(path);
    if (p.empty()) return false;
    if (directoryExists(p)) return true;
    size_t cut = p.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0) {
        std::string parent = p.substr(0, cut);
        if (!(parent.size() == 2 && parent[1] == ':') && !createDirectoryTree(parent)) return false;
    }
    return CreateDirectoryA(p.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::optional<std::uint64_t> Win32FileSystem::fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> Win32FileSystem::readFile(const std::string& path) {
    Handle f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.ok()) return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.h, &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(f.h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

bool Win32FileSystem::writeFile(const std::string& path, const std::string& bytes) {
    Handle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return f.ok() && writeAll(f.h, bytes);
}

bool Win32FileSystem::appendFile(const std::string& path, const std::string& bytes) {
    Handle f(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.ok()) return false;
    if (SetFilePointer(f.h, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return false;
    return writeAll(f.h, bytes);
}

bool Win32FileSystem::copyFile(const std::string& from, const std::string& to, bool overwrite) {
    return CopyFileA(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE) != 0;
}

bool Win32FileSystem::deleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool Win32FileSystem::setNormalAttributes(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool Win32FileSystem::removeDirectory(const std::string& path) {
    return RemoveDirectoryA(withoutTrailingSlash(path).c_str()) != 0;
}

std::vector<FileSystem::Entry> Win32FileSystem::listDirectory(const std::string& path) {
    std::vector<Entry> entries;
    std::string pattern = withoutTrailingSlash(path) + "\\*";
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return entries;
}

std::vector<std::string> Win32FileSystem::findFiles(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

std::u16string Win32TextEncoding::ansiToUtf16(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::string Win32TextEncoding::upperCase(const std::string& text) {
    std::string out = text;
    if (!out.empty()) CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

// The root of a path: "C:\" for a drive letter, "\\server\share\" for a network path;
// empty when the path has neither (the current drive is asked then).
static std::string driveRootOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\";
    if (path.rfind("\\\\", 0) == 0) {
        size_t server = path.find('\\', 2);
        if (server == std::string::npos) return path + "\\";
        size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
    }
    return std::string();
}

DriveType Win32FileSystem::driveType(const std::string& path) {
    const std::string root = driveRootOf(path);
    const UINT type = GetDriveTypeA(root.empty() ? nullptr : root.c_str());
    return type <= DRIVE_RAMDISK ? static_cast<DriveType>(type) : DriveType::Unknown;
}

}  // namespace qs::platform
