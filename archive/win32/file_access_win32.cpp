#include "archive/win32/file_access_win32.h"

#include <windows.h>

#include "archive/archive_error.h"

namespace qs::archive {
namespace {

const wchar_t* wide(const Path& p) { return reinterpret_cast<const wchar_t*>(p.c_str()); }

// The attributes an extracted file may carry; others (compressed, encrypted, reparse point,
// directory) are not ours to set.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

[[noreturn]] void ioError(const char* what, DWORD code) {
    throw ArchiveError(ArchiveErrorKind::Io, std::string(what) + " (error " + std::to_string(code) + ")");
}

class Win32InputFile final : public InputFile {
public:
    Win32InputFile(HANDLE h, std::uint64_t size) : h_(h), size_(size) {}
    ~Win32InputFile() override { CloseHandle(h_); }
    std::uint64_t size() const override { return size_; }
    std::size_t readAt(std::uint64_t offset, std::uint8_t* dst, std::size_t size) override {
        if (offset >= size_) return 0;
        if (size > size_ - offset) size = static_cast<std::size_t>(size_ - offset);
        if (size > (1u << 30)) size = 1u << 30;
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(h_, dst, static_cast<DWORD>(size), &got, &at)) {
            const DWORD e = GetLastError();
            if (e == ERROR_HANDLE_EOF) return 0;
            ioError("reading the archive failed", e);
        }
        return got;
    }

private:
    HANDLE h_;
    std::uint64_t size_;
};

void setTime(HANDLE h, const FileStamp& stamp) {
    if (!stamp.modified) return;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(*stamp.modified);
    ft.dwHighDateTime = static_cast<DWORD>(*stamp.modified >> 32);
    SetFileTime(h, nullptr, nullptr, &ft);
}

class Win32OutputFile final : public OutputFile {
public:
    Win32OutputFile(HANDLE h, Path path) : h_(h), path_(std::move(path)) {}
    ~Win32OutputFile() override {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    void write(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            DWORD put = 0;
            const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            if (!WriteFile(h_, data, chunk, &put, nullptr) || put == 0) ioError("writing a file failed", GetLastError());
            data += put;
            size -= put;
        }
    }
    void commit(const FileStamp& stamp) override {
        setTime(h_, stamp);
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(h)) ioError("writing a file failed", GetLastError());
        if (stamp.attributes && (*stamp.attributes & kSettableAttributes))
            SetFileAttributesW(wide(path_), *stamp.attributes & kSettableAttributes);
    }

private:
    HANDLE h_;
    Path path_;
};

}  // namespace

std::unique_ptr<InputFile> Win32FileAccess::openInput(const Path& path) {
    const HANDLE h = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        return nullptr;
    }
    return std::make_unique<Win32InputFile>(h, static_cast<std::uint64_t>(size.QuadPart));
}

PathKind Win32FileAccess::kind(const Path& path) {
    const DWORD a = GetFileAttributesW(wide(path));
    if (a == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Link;
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

ExistingFile Win32FileAccess::existing(const Path& path) {
    ExistingFile info;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(wide(path), GetFileExInfoStandard, &data)) {
        info.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        info.modified = static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    }
    return info;
}

void Win32FileAccess::createFolder(const Path& path) {
    if (CreateDirectoryW(wide(path), nullptr)) return;
    const DWORD e = GetLastError();
    if (kind(path) == PathKind::Folder) return;
    ioError("cannot create a folder", e);
}

void Win32FileAccess::createFolderTree(const Path& path) {
    if (kind(path) == PathKind::Folder) return;
    // Parents first; the first separator after a drive ("C:\") or a share ("\\server\share\")
    // names no folder to create, and creating it simply fails as existing.
    for (std::size_t i = 1; i < path.size(); ++i) {
        if ((path[i] == u'\\' || path[i] == u'/') && path[i - 1] != u':' && path[i - 1] != u'\\' && path[i - 1] != u'/')
            CreateDirectoryW(wide(path.substr(0, i)), nullptr);
    }
    createFolder(path);
}

std::unique_ptr<OutputFile> Win32FileAccess::createOutput(const Path& path) {
    HANDLE h = CreateFileW(wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        // A read-only file being overwritten.
        const DWORD a = GetFileAttributesW(wide(path));
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
            SetFileAttributesW(wide(path), a & ~FILE_ATTRIBUTE_READONLY);
            h = CreateFileW(wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
    }
    if (h == INVALID_HANDLE_VALUE) ioError("cannot create a file", GetLastError());
    return std::make_unique<Win32OutputFile>(h, path);
}

void Win32FileAccess::removeFile(const Path& path) { DeleteFileW(wide(path)); }

void Win32FileAccess::stampFolder(const Path& path, const FileStamp& stamp) {
    if (!stamp.modified) return;
    const HANDLE h = CreateFileW(wide(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    setTime(h, stamp);
    CloseHandle(h);
}

}  // namespace qs::archive
