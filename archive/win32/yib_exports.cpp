// The exported calls of yib.lib: ANSI in, UTF-16 inside, ANSI out.
//
// Listing keeps its entry array and names alive in the handle until CloseListArchive. The
// last error is kept per thread, like GetLastError. No exception leaves a call: every failure
// becomes a return value and an error code (docs/archive-library.md).
#define YIB_BUILDING_LIBRARY
#include "archive/win32/yib_api.h"

#include <windows.h>

#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "archive/archive_error.h"
#include "archive/extractor.h"
#include "archive/library_calls.h"
#include "archive/sevenzip_archive.h"
#include "archive/win32/file_access_win32.h"

using namespace qs::archive;

namespace {

thread_local int lastError = kErrNone;

std::u16string fromAnsi(const char* text) {
    if (!text || !*text) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, w.data(), n);
    w.resize(static_cast<std::size_t>(n - 1));
    return std::u16string(w.begin(), w.end());
}

std::string toAnsi(const std::u16string& text) {
    if (text.empty()) return {};
    const wchar_t* w = reinterpret_cast<const wchar_t*>(text.c_str());
    const int n = WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string a(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), a.data(), n, nullptr, nullptr);
    return a;
}

// The password: the argument when given, else the callback's answer, asked once per call.
class PasswordSource {
public:
    PasswordSource(const char* password, YibPasswordCallback callback) : callback_(callback) {
        if (password && *password) password_ = fromAnsi(password);
    }
    PasswordProvider provider() {
        return [this]() -> std::optional<std::u16string> {
            if (!password_ && callback_ && !asked_) {
                asked_ = true;
                std::vector<char> buffer(YIB_PASSWORD_BUFFER, '\0');
                if (callback_(buffer.data())) {
                    buffer.back() = '\0';
                    password_ = fromAnsi(buffer.data());
                }
                SecureZeroMemory(buffer.data(), buffer.size());
            }
            return password_;
        };
    }

private:
    YibPasswordCallback callback_;
    std::optional<std::u16string> password_;
    bool asked_ = false;
};

struct ListHandle {
    std::vector<std::string> names;
    std::vector<YibEntry> entries;
};

std::mutex handlesLock;
std::set<ListHandle*> liveHandles;

// Opens the archive, or sets the listing error code and returns nullptr.
std::unique_ptr<SevenZipArchive> openArchive(const char* archivePath, PasswordSource& password, Win32FileAccess& files) {
    const std::u16string path = fromAnsi(archivePath);
    if (hasIllegalPathCharacters(path)) {
        lastError = kErrIllegalPath;
        return nullptr;
    }
    std::unique_ptr<InputFile> input = files.openInput(path);
    if (!input) {
        lastError = kErrNotFound;
        return nullptr;
    }
    try {
        return std::make_unique<SevenZipArchive>(std::move(input), password.provider());
    } catch (const ArchiveError& e) {
        lastError = openFailureCode(e.kind());
    } catch (const std::bad_alloc&) {
        lastError = kErrInternal;
    } catch (const std::exception&) {
        lastError = kErrInternal;
    }
    return nullptr;
}

std::vector<std::u16string> ansiRoundTripNames(const std::vector<Entry>& entries) {
    // Matched as the caller saw them listed: through the ANSI code page and back.
    std::vector<std::u16string> names;
    names.reserve(entries.size());
    for (const Entry& e : entries) names.push_back(fromAnsi(toAnsi(listedName(e)).c_str()));
    return names;
}

}  // namespace

extern "C" {

void* __stdcall OpenListArchive(const char* archivePath, int, YibPasswordCallback passwordCallback, void*, void*, void*,
                                const char* password, YibEntry** entries, int* count) {
    if (entries) *entries = nullptr;
    if (count) *count = 0;
    if (!archivePath || !entries || !count) {
        lastError = kErrBadArgument;
        return nullptr;
    }
    try {
        PasswordSource passwords(password, passwordCallback);
        Win32FileAccess files;
        std::unique_ptr<SevenZipArchive> archive = openArchive(archivePath, passwords, files);
        if (!archive) return nullptr;
        auto handle = std::make_unique<ListHandle>();
        const std::vector<Entry>& list = archive->entries();
        std::vector<bool> firstOfBlock(archive->folders().size(), true);
        handle->names.reserve(list.size());
        for (const Entry& e : list) handle->names.push_back(toAnsi(listedName(e)));
        handle->entries.resize(list.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            const Entry& e = list[i];
            YibEntry& out = handle->entries[i];
            out = YibEntry{};
            out.name = handle->names[i].c_str();
            out.attributes = e.attributes.value_or(0);
            out.size = e.size;
            out.modified = e.modified.value_or(0);
            out.crc = e.crc.value_or(0);
            out.block = e.hasStream ? e.folder : 0xFFFFFFFFu;
            if (e.isFolder) out.flags |= YIB_ENTRY_FOLDER;
            if (e.crc) out.flags |= YIB_ENTRY_HAS_CRC;
            if (e.modified) out.flags |= YIB_ENTRY_HAS_TIME;
            if (e.attributes) out.flags |= YIB_ENTRY_HAS_ATTRIBUTES;
            if (e.hasStream) {
                if (archive->folders()[e.folder].encrypted()) out.flags |= YIB_ENTRY_ENCRYPTED;
                if (firstOfBlock[e.folder]) {
                    firstOfBlock[e.folder] = false;
                    out.packedSize = archive->packedSize(e.folder);
                }
            }
        }
        *entries = handle->entries.empty() ? nullptr : handle->entries.data();
        *count = static_cast<int>(handle->entries.size());
        std::lock_guard<std::mutex> lock(handlesLock);
        liveHandles.insert(handle.get());
        lastError = kErrNone;
        return handle.release();
    } catch (...) {
        *entries = nullptr;
        *count = 0;
        lastError = kErrInternal;
        return nullptr;
    }
}

int __stdcall CloseListArchive(void* handle) {
    ListHandle* h = static_cast<ListHandle*>(handle);
    {
        std::lock_guard<std::mutex> lock(handlesLock);
        if (!h || liveHandles.erase(h) == 0) {
            lastError = kErrBadArgument;
            return 0;
        }
    }
    delete h;
    return 1;
}

int __stdcall GetLastArchiveError() { return lastError; }

int __stdcall ExtractArchive(const char* archivePath, int what, const char* targetFolder, TSZW_TARGETFILES* targets, int mode,
                             const char* password, YibPasswordCallback passwordCallback, YibProgressCallback progress,
                             YibEntryDoneCallback entryDone, YibFileQueryCallback fileQuery) {
    if (!archivePath || !targetFolder || !*targetFolder || (what != YIB_EXTRACT_ALL && what != YIB_EXTRACT_TARGET_FILES) ||
        (mode != YIB_MODE_FULL_PATHS && mode != YIB_MODE_NO_PATHS)) {
        lastError = kErrBadArgument;
        return 0;
    }
    if (what == YIB_EXTRACT_TARGET_FILES) {
        if (!targets || targets->count < 0 || (targets->count > 0 && !targets->names)) {
            lastError = kErrBadArgument;
            return 0;
        }
        for (int i = 0; i < targets->count; ++i)
            if (!targets->names[i]) {
                lastError = kErrBadArgument;
                return 0;
            }
    }
    try {
        const std::u16string target = fromAnsi(targetFolder);
        if (hasIllegalPathCharacters(target)) {
            lastError = kErrIllegalPath;
            return 0;
        }
        PasswordSource passwords(password, passwordCallback);
        Win32FileAccess files;
        std::unique_ptr<SevenZipArchive> archive = openArchive(archivePath, passwords, files);
        if (!archive) return 0;

        const std::vector<Entry>& entries = archive->entries();
        std::vector<bool> selected(entries.size(), true);
        if (what == YIB_EXTRACT_TARGET_FILES) {
            std::vector<std::u16string> wanted, missing;
            for (int i = 0; i < targets->count; ++i) wanted.push_back(fromAnsi(targets->names[i]));
            selected = selectEntries(ansiRoundTripNames(entries), wanted, missing);
            if (!missing.empty()) {
                lastError = kErrNotInArchive;
                return 0;
            }
        }

        ExtractOptions options;
        options.targetFolder = target;
        options.keepPaths = mode == YIB_MODE_FULL_PATHS;
        ExtractCallbacks callbacks;
        if (progress) {
            callbacks.progress = [progress](const Entry& e, std::uint64_t done, std::uint64_t total) {
                return progress(toAnsi(listedName(e)).c_str(), static_cast<std::int64_t>(done), static_cast<std::int64_t>(total)) != 0;
            };
        }
        if (entryDone) {
            callbacks.entryDone = [entryDone](std::size_t done, std::size_t total) {
                return entryDone(static_cast<int>(done), static_cast<int>(total)) != 0;
            };
        }
        if (fileQuery) {
            callbacks.overwrite = [fileQuery](const Path& path, const Entry& e, const ExistingFile& old) {
                const std::uint64_t newTime = e.modified.value_or(0);
                const int answer = fileQuery(toAnsi(path).c_str(), toAnsi(listedName(e)).c_str(), static_cast<std::uint32_t>(old.size),
                                             static_cast<std::uint32_t>(old.size >> 32), static_cast<std::uint32_t>(old.modified),
                                             static_cast<std::uint32_t>(old.modified >> 32), static_cast<std::uint32_t>(e.size),
                                             static_cast<std::uint32_t>(e.size >> 32), static_cast<std::uint32_t>(newTime),
                                             static_cast<std::uint32_t>(newTime >> 32));
                if (answer == YIB_QUERY_OVERWRITE) return OverwriteAnswer::Overwrite;
                if (answer == YIB_QUERY_CANCEL) return OverwriteAnswer::Abort;
                return OverwriteAnswer::Skip;
            };
        }
        extractEntries(*archive, files, selected, options, callbacks);
        lastError = kErrNone;
        return 1;
    } catch (const ArchiveError& e) {
        lastError = extractFailureCode(e.kind());
    } catch (...) {
        lastError = kErrInternal;
    }
    return 0;
}

}  // extern "C"
