// Files and folders as the engine needs them. Paths are ANSI texts with backslashes.
//
// Queries of missing files return false or empty results; they never throw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qs::platform {

// The kind of drive a path lies on (the system's drive type codes).
enum class DriveType { Unknown = 0, NoRootFolder = 1, Removable = 2, Fixed = 3, Remote = 4, CdRom = 5, RamDisk = 6 };

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool fileExists(const std::string& path) = 0;
    virtual bool directoryExists(const std::string& path) = 0;
    // Creates the folder and every missing parent; true when the folder exists afterwards.
    virtual bool createDirectoryTree(const std::string& path) = 0;
    virtual std::optional<std::uint64_t> fileSize(const std::string& path) = 0;
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // Writes the bytes to the file, replacing it.
    virtual bool writeFile(const std::string& path, const std::string& bytes) = 0;
    // Appends bytes at the end of the file, creating it when missing; the file is closed again.
    virtual bool appendFile(const std::string& path, const std::string& bytes) = 0;
    virtual bool copyFile(const std::string& from, const std::string& to, bool overwrite) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    virtual bool setNormalAttributes(const std::string& path) = 0;
    virtual bool removeDirectory(const std::string& path) = 0;  // an empty one
    struct Entry {
        std::string name;  // without folder
        bool isDirectory = false;
    };
    // The entries of a folder, without "." and "..".
    virtual std::vector<Entry> listDirectory(const std::string& path) = 0;
    // The name under which the entry at `path` is stored (its long name, in its stored case),
    // without folder; nothing when there is no such entry or the path holds a wildcard.
    virtual std::optional<std::string> storedName(const std::string& path) = 0;
    // The short (8.3) form of an existing path; nothing when the system cannot give one.
    virtual std::optional<std::string> shortPathName(const std::string& path) = 0;
    // Creates a new empty file with a unique name in `folder`: prefix + hexadecimal number +
    // ".tmp". The full path, or nothing when no file could be created.
    virtual std::optional<std::string> createTemporaryFile(const std::string& folder, const std::string& prefix) = 0;
    // The names (without folder) of the files, not folders, that match a wildcard pattern such
    // as "C:\x\translations.*", in the order the system lists them.
    virtual std::vector<std::string> findFiles(const std::string& pattern) = 0;
    // The type of the drive that holds `path`: its drive letter root, or server and share.
    virtual DriveType driveType(const std::string& path) = 0;
};

}  // namespace qs::platform
