// Files and folders as the engine needs them. Paths are ANSI texts with backslashes.
//
// Queries of missing files return false or empty results; they never throw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qs::platform {

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
};

}  // namespace qs::platform
