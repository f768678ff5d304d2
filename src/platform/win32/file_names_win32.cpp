// File names as the file system stores them: long and short forms, and unique temporary files.
#include <windows.h>

#include "file_system_win32.h"

namespace qs::platform {

std::optional<std::string> Win32FileSystem::storedName(const std::string& path) {
    // A wildcard would make the search answer with some other entry's name.
    if (path.empty() || path.find_first_of("*?") != std::string::npos) return std::nullopt;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(search);
    return std::string(data.cFileName);
}

std::optional<std::string> Win32FileSystem::shortPathName(const std::string& path) {
    char buffer[MAX_PATH];
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    // Zero is a failure; a length of MAX_PATH or more is the size the buffer would need.
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return std::string(buffer, length);
}

std::optional<std::string> Win32FileSystem::createTemporaryFile(const std::string& folder, const std::string& prefix) {
    char buffer[MAX_PATH];
    if (GetTempFileNameA(folder.c_str(), prefix.c_str(), 0, buffer) == 0) return std::nullopt;
    return std::string(buffer);
}

std::string Win32TextEncoding::lowerCase(const std::string& text) {
    std::string out = text;
    if (!out.empty()) CharLowerBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

}  // namespace qs::platform
