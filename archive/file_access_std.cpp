#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "archive/archive_error.h"
#include "archive/file_access.h"

namespace qs::archive {
namespace {

namespace fs = std::filesystem;

// FILETIME counts 100 ns ticks from 1601; the Unix epoch is 11644473600 s later.
constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull;

fs::path toPath(const Path& p) { return fs::path(p); }

[[noreturn]] void ioError(const std::string& what, const Path& path) {
    throw ArchiveError(ArchiveErrorKind::Io, what + ": " + toPath(path).string());
}

class StdInputFile final : public InputFile {
public:
    StdInputFile(std::ifstream in, std::uint64_t size) : in_(std::move(in)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::size_t readAt(std::uint64_t offset, std::uint8_t* dst, std::size_t size) override {
        if (offset >= size_) return 0;
        if (size > size_ - offset) size = static_cast<std::size_t>(size_ - offset);
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(reinterpret_cast<char*>(dst), static_cast<std::streamsize>(size));
        if (in_.bad()) throw ArchiveError(ArchiveErrorKind::Io, "reading the archive failed");
        return static_cast<std::size_t>(in_.gcount());
    }

private:
    std::ifstream in_;
    std::uint64_t size_;
};

void applyTime(const fs::path& path, const FileStamp& stamp) {
    if (!stamp.modified || *stamp.modified < kUnixEpochTicks) return;
    const auto since = std::chrono::microseconds((*stamp.modified - kUnixEpochTicks) / 10);
    const auto sys = std::chrono::sys_time<std::chrono::microseconds>(since);
    std::error_code ec;
    fs::last_write_time(path, fs::file_time_type::clock::from_sys(sys), ec);
}

class StdOutputFile final : public OutputFile {
public:
    explicit StdOutputFile(const fs::path& path) : path_(path), out_(path, std::ios::binary | std::ios::trunc) {
        if (!out_) throw ArchiveError(ArchiveErrorKind::Io, "cannot create " + path.string());
    }
    void write(const std::uint8_t* data, std::size_t size) override {
        out_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out_) throw ArchiveError(ArchiveErrorKind::Io, "cannot write " + path_.string());
    }
    void commit(const FileStamp& stamp) override {
        out_.close();
        if (!out_) throw ArchiveError(ArchiveErrorKind::Io, "cannot write " + path_.string());
        applyTime(path_, stamp);
    }

private:
    fs::path path_;
    std::ofstream out_;
};

}  // namespace

std::size_t MemoryInputFile::readAt(std::uint64_t offset, std::uint8_t* dst, std::size_t size) {
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(size, bytes_.size() - offset);
    std::memcpy(dst, bytes_.data() + offset, n);
    return n;
}

std::unique_ptr<InputFile> StdFileAccess::openInput(const Path& path) {
    std::error_code ec;
    const fs::path p = toPath(path);
    if (!fs::is_regular_file(p, ec)) return nullptr;
    const std::uint64_t size = fs::file_size(p, ec);
    if (ec) return nullptr;
    std::ifstream in(p, std::ios::binary);
    if (!in) return nullptr;
    return std::make_unique<StdInputFile>(std::move(in), size);
}

PathKind StdFileAccess::kind(const Path& path) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(toPath(path), ec);
    if (ec || !fs::exists(st)) return PathKind::Missing;
    if (fs::is_symlink(st)) return PathKind::Link;
    return fs::is_directory(st) ? PathKind::Folder : PathKind::File;
}

ExistingFile StdFileAccess::existing(const Path& path) {
    std::error_code ec;
    ExistingFile info;
    info.size = fs::file_size(toPath(path), ec);
    if (ec) info.size = 0;
    return info;
}

void StdFileAccess::createFolder(const Path& path) {
    std::error_code ec;
    fs::create_directory(toPath(path), ec);
    if (ec || !fs::is_directory(toPath(path))) ioError("cannot create folder", path);
}

void StdFileAccess::createFolderTree(const Path& path) {
    std::error_code ec;
    fs::create_directories(toPath(path), ec);
    if (!fs::is_directory(toPath(path), ec)) ioError("cannot create folder", path);
}

std::unique_ptr<OutputFile> StdFileAccess::createOutput(const Path& path) {
    const fs::path p = toPath(path);
    return std::make_unique<StdOutputFile>(p);
}

void StdFileAccess::removeFile(const Path& path) {
    std::error_code ec;
    fs::remove(toPath(path), ec);
}

void StdFileAccess::stampFolder(const Path& path, const FileStamp& stamp) { applyTime(toPath(path), stamp); }

}  // namespace qs::archive
