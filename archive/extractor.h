// Extracting chosen entries of an opened archive into a target folder.
//
// Folders are decoded as streams, in archive order: each selected file is written as its
// bytes come out of the decoder chain, its CRC is checked before it is kept, and the progress
// callback is called as data is written (it can stop the extraction). Entries not selected are
// decoded only when a later selected file of the same solid folder needs it. Every selected
// name is checked before anything is written, so an unsafe name writes nothing at all.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "archive/file_access.h"
#include "archive/sevenzip_archive.h"

namespace qs::archive {

enum class OverwriteAnswer { Overwrite, Skip, Abort };

struct ExtractCallbacks {
    // Called when a file starts, as its data is written and when it is done; false stops the
    // extraction (ArchiveError Aborted). `done` and `total` count bytes of selected entries.
    std::function<bool(const Entry& entry, std::uint64_t done, std::uint64_t total)> progress;
    // Called after each selected entry; false stops the extraction.
    std::function<bool(std::size_t entriesDone, std::size_t entriesTotal)> entryDone;
    // Asked when a file to be written already exists; without it the file is overwritten.
    std::function<OverwriteAnswer(const Path& target, const Entry& entry, const ExistingFile& existing)> overwrite;
};

struct ExtractOptions {
    Path targetFolder;      // created when missing
    bool keepPaths = true;  // false: every file straight into the target folder, folders skipped
};

// `selected` has one flag per archive entry. Throws ArchiveError; a file being written when an
// error occurs is removed, files finished before stay.
void extractEntries(SevenZipArchive& archive, FileAccess& files, const std::vector<bool>& selected,
                    const ExtractOptions& options, const ExtractCallbacks& callbacks);

}  // namespace qs::archive
