// The file-system seam of the archive reader: the only way the reader touches files.
//
// Paths are UTF-16 (as 7z stores names). The portable implementation (StdFileAccess, for
// native tools and tests) uses the C++ standard library; the library's Win32 build has its
// own over the wide Windows API (archive/win32/). Failures of an operation that must succeed
// throw ArchiveError(Io); expected outcomes (a missing file) are return values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qs::archive {

using Path = std::u16string;

// Random-access reading of the archive file.
class InputFile {
public:
    virtual ~InputFile() = default;
    virtual std::uint64_t size() const = 0;
    // Reads up to `size` bytes at `offset`; returns the number read (0 at or past the end).
    virtual std::size_t readAt(std::uint64_t offset, std::uint8_t* dst, std::size_t size) = 0;
};

// Time and attributes given to a file once it is complete.
struct FileStamp {
    std::optional<std::uint64_t> modified;   // Windows FILETIME: 100 ns ticks since 1601
    std::optional<std::uint32_t> attributes;  // Windows file attributes (low 16 bits used)
};

// One file being written. commit() closes it and applies the stamp; a file destroyed without
// commit() is closed as it is (the extractor removes it).
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void write(const std::uint8_t* data, std::size_t size) = 0;
    virtual void commit(const FileStamp& stamp) = 0;
};

// Link: a symbolic link, junction or other reparse point; never followed by the extractor.
enum class PathKind { Missing, File, Folder, Link };

struct ExistingFile {
    std::uint64_t size = 0;
    std::uint64_t modified = 0;  // FILETIME, 0 when unknown
};

class FileAccess {
public:
    virtual ~FileAccess() = default;
    // The separator used to join path components (the reader itself accepts '/' and '\').
    virtual char16_t separator() const = 0;
    // nullptr when the file does not exist or cannot be opened for reading.
    virtual std::unique_ptr<InputFile> openInput(const Path& path) = 0;
    virtual PathKind kind(const Path& path) = 0;
    virtual ExistingFile existing(const Path& path) = 0;
    // Creates one folder level; succeeds when it already exists as a folder.
    virtual void createFolder(const Path& path) = 0;
    // Creates a folder and any missing parents (the target folder of an extraction).
    virtual void createFolderTree(const Path& path) = 0;
    // Creates or truncates a file (clearing a read-only attribute first).
    virtual std::unique_ptr<OutputFile> createOutput(const Path& path) = 0;
    // Best effort: used to remove a partly written file.
    virtual void removeFile(const Path& path) = 0;
    virtual void stampFolder(const Path& path, const FileStamp& stamp) = 0;
};

// Native implementation over std::filesystem and stdio (UTF-16 names become UTF-8 on POSIX).
class StdFileAccess final : public FileAccess {
public:
    char16_t separator() const override { return u'/'; }
    std::unique_ptr<InputFile> openInput(const Path& path) override;
    PathKind kind(const Path& path) override;
    ExistingFile existing(const Path& path) override;
    void createFolder(const Path& path) override;
    void createFolderTree(const Path& path) override;
    std::unique_ptr<OutputFile> createOutput(const Path& path) override;
    void removeFile(const Path& path) override;
    void stampFolder(const Path& path, const FileStamp& stamp) override;
};

// An archive held in memory (tests, the fuzzer).
class MemoryInputFile final : public InputFile {
public:
    explicit MemoryInputFile(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t readAt(std::uint64_t offset, std::uint8_t* dst, std::size_t size) override;

private:
    std::string bytes_;
};

}  // namespace qs::archive
