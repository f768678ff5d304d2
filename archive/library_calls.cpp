#include "archive/library_calls.h"

#include <unordered_map>

namespace qs::archive {
namespace {

// Case folding for name comparison: ASCII and Latin-1 letters, as most archive names use.
char16_t fold(char16_t c) {
    if (c == u'/') return u'\\';
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
    return c;
}

std::u16string key(const std::u16string& name) {
    std::u16string k;
    k.reserve(name.size());
    for (char16_t c : name) k.push_back(fold(c));
    while (!k.empty() && k.back() == u'\\') k.pop_back();
    return k;
}

}  // namespace

int openFailureCode(ArchiveErrorKind kind) {
    switch (kind) {
    case ArchiveErrorKind::NotFound: return kErrNotFound;
    case ArchiveErrorKind::UnsafePath: return kErrIllegalPath;
    case ArchiveErrorKind::Io: return kErrNotFound;
    case ArchiveErrorKind::Aborted: return kErrCancelled;
    default: return kErrCannotOpen;  // not an archive, damaged, unsupported, wrong password
    }
}

int extractFailureCode(ArchiveErrorKind kind) {
    switch (kind) {
    case ArchiveErrorKind::NotFound: return kErrNotFound;
    case ArchiveErrorKind::NotAnArchive: return kErrCannotOpen;
    case ArchiveErrorKind::Corrupt: return kErrDataError;
    case ArchiveErrorKind::Unsupported: return kErrUnsupportedMethod;
    case ArchiveErrorKind::WrongPassword: return kErrWrongPassword;
    case ArchiveErrorKind::CrcMismatch: return kErrCrcError;
    case ArchiveErrorKind::Aborted: return kErrCancelled;
    case ArchiveErrorKind::Io: return kErrWriteFailed;
    case ArchiveErrorKind::UnsafePath: return kErrUnsafeName;
    }
    return kErrInternal;
}

bool hasIllegalPathCharacters(const std::u16string& path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char16_t c = path[i];
        if (c < 0x20 || c == u'*' || c == u'?' || c == u'<' || c == u'>' || c == u'"' || c == u'|') return true;
        // A colon only as the drive letter's.
        if (c == u':' && i != 1) return true;
    }
    return path.empty();
}

std::u16string listedName(const Entry& entry) {
    std::u16string name = entry.name;
    for (char16_t& c : name)
        if (c == u'/') c = u'\\';
    return name;
}

std::vector<bool> selectEntries(const std::vector<std::u16string>& entryNames, const std::vector<std::u16string>& names,
                                std::vector<std::u16string>& missing) {
    std::unordered_map<std::u16string, std::vector<std::size_t>> byName;
    for (std::size_t i = 0; i < entryNames.size(); ++i) byName[key(entryNames[i])].push_back(i);
    std::vector<bool> selected(entryNames.size(), false);
    for (const std::u16string& n : names) {
        const auto it = byName.find(key(n));
        if (it == byName.end()) {
            missing.push_back(n);
            continue;
        }
        for (std::size_t i : it->second) selected[i] = true;
    }
    return selected;
}

}  // namespace qs::archive
