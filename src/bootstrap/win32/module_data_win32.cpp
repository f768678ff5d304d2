#include "module_data_win32.h"

#include <span>

#include "bootstrap/pe_appended.h"

namespace qs::bootstrap {

std::optional<std::uint64_t> appendedOffsetOfModule(HMODULE module) {
    if (!module) return std::nullopt;
    // The headers and the section table lie in the image's first page, which is always mapped.
    auto* base = reinterpret_cast<const std::uint8_t*>(module);
    std::optional<PeLayout> layout = readPeLayout(std::span<const std::uint8_t>(base, 4096));
    if (!layout) return std::nullopt;
    return layout->appendedOffset;
}

std::optional<std::string> appendedDataOfLibrary(const std::string& path) {
    HMODULE lib = LoadLibraryExA(path.c_str(), nullptr, 0);
    if (!lib) return std::nullopt;
    std::optional<std::uint64_t> offset = appendedOffsetOfModule(lib);
    FreeLibrary(lib);
    if (!offset) return std::nullopt;

    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> data;
    LARGE_INTEGER size;
    if (GetFileSizeEx(f, &size) && static_cast<std::uint64_t>(size.QuadPart) > *offset &&
        size.QuadPart - *offset < 0x10000000) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(*offset);
        std::string bytes(static_cast<size_t>(size.QuadPart - *offset), '\0');
        DWORD got = 0;
        if (SetFilePointerEx(f, at, nullptr, FILE_BEGIN) &&
            ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size())
            data = std::move(bytes);
    }
    CloseHandle(f);
    return data;
}

}  // namespace qs::bootstrap
