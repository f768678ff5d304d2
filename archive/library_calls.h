// What the library's exported calls share and what can be decided without Windows: the
// error codes they set, the matching of requested names to entries, the checks of an
// archive path.
#pragma once

#include <string>
#include <vector>

#include "archive/archive_error.h"
#include "archive/sevenzip_archive.h"

namespace qs::archive {

// Codes returned by GetLastArchiveError (documented in docs/archive-library.md).
enum LibraryErrorCode : int {
    kErrNone = 0,
    kErrNotFound = 1001,         // the archive file does not exist or cannot be read
    kErrIllegalPath = 1002,      // the archive path holds wildcard or other illegal characters
    kErrCannotOpen = 1003,       // not a 7z archive, damaged or unsupported header, wrong password
    kErrWrongPassword = 1004,    // file data do not decrypt with the password (or none was given)
    kErrDataError = 1005,        // compressed data are damaged or truncated
    kErrCrcError = 1006,         // a file decoded, but its CRC differs
    kErrUnsafeName = 1007,       // an entry name would leave the target folder
    kErrWriteFailed = 1008,      // a target folder or file could not be created or written
    kErrCancelled = 1009,        // a callback asked to stop
    kErrNotInArchive = 1010,     // a requested file name is not in the archive
    kErrUnsupportedMethod = 1011,  // a file uses a method this library does not decode
    kErrBadArgument = 1012,      // a null pointer, an unknown option or handle
    kErrInternal = 1013,         // out of memory or another unexpected failure
};

// The code for a failure while opening (listing, or the first step of an extraction).
int openFailureCode(ArchiveErrorKind kind);
// The code for a failure while extracting from an opened archive.
int extractFailureCode(ArchiveErrorKind kind);

// True when the path has characters no Windows file name may hold, wildcards among them;
// the library never expands wildcards in an archive path.
bool hasIllegalPathCharacters(const std::u16string& path);

// The entry's name as listed: components separated by '\'.
std::u16string listedName(const Entry& entry);

// Marks the entries whose name (one per entry, as the caller saw it listed) equals one of
// `names`; separators '/' and '\' alike, letters compared without case. Names that match
// nothing are returned in `missing`.
std::vector<bool> selectEntries(const std::vector<std::u16string>& entryNames, const std::vector<std::u16string>& names,
                                std::vector<std::u16string>& missing);

}  // namespace qs::archive
