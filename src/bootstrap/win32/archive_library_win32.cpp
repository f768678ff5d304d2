#include "archive_library_win32.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "../../../archive/win32/yib_api.h"

namespace qs::bootstrap {
namespace {

// The library's callbacks carry no context argument; the operation in progress on this thread
// answers them. Operations do not nest.
thread_local ArchiveCallbackState* current = nullptr;

class CurrentOperation {
public:
    explicit CurrentOperation(ArchiveCallbackState& state) : previous_(current) { current = &state; }
    ~CurrentOperation() { current = previous_; }

private:
    ArchiveCallbackState* previous_;
};

int __stdcall passwordCallback(char* buffer) { return current ? current->passwordAnswer(buffer, YIB_PASSWORD_BUFFER) : 0; }

int __stdcall progressCallback(const char* name, std::int64_t done, std::int64_t total) {
    return current ? current->progressAnswer(name, done, total) : 1;
}

int __stdcall secondCallback(int a, int b) { return current ? current->secondAnswer(a, b) : 1; }

int __stdcall fileQueryCallback(const char*, const char*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                std::uint32_t, std::uint32_t, std::uint32_t) {
    return current ? current->fileQueryAnswer() : 1;
}

}  // namespace

bool YibArchiveLibrary::listNames(const std::string& archive, const std::string& password, ArchiveCallbackState& callbacks,
                                  std::vector<std::string>& names) {
    CurrentOperation op(callbacks);
    YibEntry* entries = nullptr;
    int count = 0;
    void* handle = OpenListArchive(archive.c_str(), 0, passwordCallback, nullptr, nullptr, nullptr, password.c_str(), &entries, &count);
    if (!handle) return false;
    names.clear();
    // The engine relies only on the first field of each 48-byte entry: its name.
    const char* base = reinterpret_cast<const char*>(entries);
    for (int i = 0; i < count; ++i) {
        const char* name = *reinterpret_cast<const char* const*>(base + 48 * i);
        names.emplace_back(name ? name : "");
    }
    CloseListArchive(handle);
    return true;
}

bool YibArchiveLibrary::extract(const std::string& archive, const std::string& target, const std::vector<std::string>& files,
                                int mode, const std::string& password, ArchiveCallbackState& callbacks) {
    CurrentOperation op(callbacks);
    // The record holds copies of the names, freed when the call returns.
    std::vector<std::unique_ptr<char[]>> copies;
    std::vector<char*> pointers;
    for (const std::string& f : files) {
        copies.emplace_back(new char[f.size() + 1]);
        std::memcpy(copies.back().get(), f.c_str(), f.size() + 1);
        pointers.push_back(copies.back().get());
    }
    TSZW_TARGETFILES record{pointers.data(), static_cast<int>(pointers.size())};
    return ExtractArchive(archive.c_str(), 1, target.c_str(), &record, mode, password.c_str(), passwordCallback,
                          progressCallback, secondCallback, fileQueryCallback) != 0;
}

int YibArchiveLibrary::lastError() { return GetLastArchiveError(); }

}  // namespace qs::bootstrap
