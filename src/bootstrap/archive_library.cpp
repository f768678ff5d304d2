#include "archive_library.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace qs::bootstrap {

std::string listFailureText(int code) {
    switch (code) {
    case 1001: return "The archive file was not found";
    case 1002: return "Illegal path used in a wildcard expression";
    case 1003: return "The archive cannot be opened: unsupported archive or incorrect password";
    default: return "General failure opening archive";
    }
}

std::string extractFailureText(int code) { return "#" + std::to_string(code); }

int extractMode(bool flag) { return flag ? 0 : 1; }

ArchiveCallbackState::ArchiveCallbackState(const std::string& password, bool overwrite, Progress progress, Second second)
    : overwrite_(overwrite), progress_(std::move(progress)), second_(std::move(second)) {
    if (!password.empty()) password_ = password;
}

ArchiveCallbackState::~ArchiveCallbackState() {
    if (password_) std::fill(password_->begin(), password_->end(), '\0');
}

int ArchiveCallbackState::passwordAnswer(char* buffer, std::size_t size) {
    if (!password_ || !buffer || size == 0) return 0;
    const std::size_t n = std::min(password_->size(), size - 1);
    std::memcpy(buffer, password_->data(), n);
    buffer[n] = '\0';
    std::fill(password_->begin(), password_->end(), '\0');
    password_.reset();
    return 1;
}

int ArchiveCallbackState::progressAnswer(const char* name, std::int64_t done, std::int64_t total) {
    if (!progress_) return 1;
    return progress_(name ? name : "", done, total) ? 1 : 0;
}

int ArchiveCallbackState::secondAnswer(int a, int b) { return second_ ? second_(a, b) : 1; }

int ArchiveCallbackState::fileQueryAnswer() const { return overwrite_ ? 4 : 1; }

ArchiveListing listArchive(ArchiveLibrary& library, const std::string& archive, const std::string& password) {
    ArchiveListing result;
    try {
        ArchiveCallbackState callbacks(password, true);
        if (library.listNames(archive, password, callbacks, result.names)) {
            result.ok = true;
        } else {
            result.names.clear();
            result.error = listFailureText(library.lastError());
        }
    } catch (const std::exception& e) {
        result.names.clear();
        result.error = e.what();
    }
    return result;
}

ArchiveOutcome extractArchive(ArchiveLibrary& library, const ExtractRequest& request) {
    ArchiveOutcome result;
    try {
        std::vector<std::string> files;
        if (request.files) {
            files = *request.files;
        } else {
            ArchiveListing listing = listArchive(library, request.archive, request.password);
            if (!listing.ok) {
                result.error = listing.error;
                return result;
            }
            files = std::move(listing.names);
        }
        ArchiveCallbackState callbacks(request.password, request.overwrite, request.progress, request.second);
        if (library.extract(request.archive, request.targetFolder, files, extractMode(request.keepFolders), request.password,
                            callbacks)) {
            result.ok = true;
        } else {
            result.error = extractFailureText(library.lastError());
        }
    } catch (const std::exception& e) {
        result.error = e.what();
    }
    return result;
}

}  // namespace qs::bootstrap
