// Files and folders through kernel32 (ANSI calls).
#pragma once

#include "../file_system.h"
#include "../text_encoding.h"

namespace qs::platform {

class Win32FileSystem final : public FileSystem {
public:
    bool fileExists(const std::string& path) override;
    bool directoryExists(const std::string& path) override;
    bool createDirectoryTree(const std::string& path) override;
    std::optional<std::uint64_t> fileSize(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool writeFile(const std::string& path, const std::string& bytes) override;
    bool appendFile(const std::string& path, const std::string& bytes) override;
    bool copyFile(const std::string& from, const std::string& to, bool overwrite) override;
    bool deleteFile(const std::string& path) override;
    bool setNormalAttributes(const std::string& path) override;
    bool removeDirectory(const std::string& path) override;
    std::vector<Entry> listDirectory(const std::string& path) override;
    std::vector<std::string> findFiles(const std::string& pattern) override;
    // file_names_win32.cpp
    std::optional<std::string> storedName(const std::string& path) override;
    std::optional<std::string> shortPathName(const std::string& path) override;
    std::optional<std::string> createTemporaryFile(const std::string& folder, const std::string& prefix) override;
    DriveType driveType(const std::string& path) override;
};

class Win32TextEncoding final : public TextEncoding {
public:
    std::u16string ansiToUtf16(const std::string& text) override;
    std::string upperCase(const std::string& text) override;
    std::string lowerCase(const std::string& text) override;  // file_names_win32.cpp
};

}  // namespace qs::platform
