// The one error type of the archive reader and its codecs.
#pragma once

#include <stdexcept>
#include <string>

namespace qs::archive {

enum class ArchiveErrorKind {
    NotFound,       // the archive file does not exist or cannot be opened
    NotAnArchive,   // no 7z signature
    Corrupt,        // a header or a compressed stream is malformed or truncated
    Unsupported,    // a method or feature this reader does not implement
    WrongPassword,  // no password, or one that does not decrypt the data
    CrcMismatch,    // data decoded, but its checksum differs
    Aborted,        // the caller's progress callback asked to stop
    Io,             // reading the archive or writing a target file failed
    UnsafePath,     // an entry name would leave the target folder
};

class ArchiveError : public std::runtime_error {
public:
    ArchiveError(ArchiveErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    ArchiveErrorKind kind() const { return kind_; }

private:
    ArchiveErrorKind kind_;
};

}  // namespace qs::archive
