// The 7z container reader: the signature header, the (possibly compressed and encrypted)
// header database, and decoding of one folder's coder chain as a stream.
//
// Every count and size read from the header is checked against the bytes that remain in the
// header and against the archive's file size before anything is allocated for it; a damaged or
// hostile archive yields ArchiveError, never a crash, a hang or unbounded memory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/byte_source.h"
#include "archive/codec/decoder_factory.h"
#include "archive/file_access.h"

namespace qs::archive {

// Limits for what one archive may declare. Real setup archives stay far below them.
inline constexpr std::uint64_t kMaxHeaderSize = 64ull << 20;   // decoded header bytes
inline constexpr std::uint64_t kMaxEntries = 1'000'000;
inline constexpr std::uint32_t kMaxCodersPerFolder = 16;
inline constexpr std::uint32_t kMaxStreamsPerCoder = 8;

struct Entry {
    std::u16string name;  // as stored: components separated by '/' or '\'
    bool isFolder = false;
    bool hasStream = false;  // false for empty files and folders
    bool isAnti = false;     // a deletion marker of an update archive; never extracted
    std::uint64_t size = 0;
    std::optional<std::uint32_t> crc;
    std::optional<std::uint64_t> modified;    // FILETIME
    std::optional<std::uint32_t> attributes;  // Windows attributes, maybe with POSIX bits high
    std::uint32_t folder = 0;       // with a stream: the folder holding it
    std::uint64_t offsetInFolder = 0;
};

struct Coder {
    std::uint64_t methodId = 0;
    std::vector<std::uint8_t> props;
    std::uint32_t numInStreams = 1;   // packed side
    std::uint32_t numOutStreams = 1;  // unpacked side
};

struct Folder {
    std::vector<Coder> coders;
    // (coder in-stream index, coder out-stream index): the in stream reads that out stream.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> bindPairs;
    std::vector<std::uint32_t> packedStreams;  // in-stream index of each packed stream
    std::vector<std::uint64_t> unpackSizes;    // one per out stream
    std::optional<std::uint32_t> crc;          // of the folder's final output
    std::uint32_t firstPackStream = 0;         // index into the archive's pack streams
    std::uint64_t numSubstreams = 1;
    std::uint32_t mainOutStream = 0;           // the out stream no bind pair consumes

    std::uint64_t unpackSize() const { return unpackSizes.at(mainOutStream); }
    bool encrypted() const;
};

struct PackStream {
    std::uint64_t offset = 0;  // absolute offset in the archive file
    std::uint64_t size = 0;
    std::optional<std::uint32_t> crc;
};

class SevenZipArchive {
public:
    // Reads and checks the headers. `password` is asked only when a header or a folder is
    // encrypted. Throws ArchiveError: NotAnArchive, Corrupt, Unsupported, WrongPassword, Io.
    SevenZipArchive(std::unique_ptr<InputFile> file, PasswordProvider password);
    ~SevenZipArchive();

    const std::vector<Entry>& entries() const { return entries_; }
    const std::vector<Folder>& folders() const { return folders_; }
    const std::vector<PackStream>& packStreams() const { return packStreams_; }
    std::uint64_t packedSize(std::uint32_t folder) const;

    // The decoded output of one folder, exactly folder.unpackSize() bytes; its CRC (when the
    // header gives one) is checked at its end. In an encrypted folder, data errors are reported
    // as WrongPassword, as a wrong key is by far their likeliest cause.
    std::unique_ptr<ByteSource> openFolder(std::uint32_t folder);

private:
    std::unique_ptr<InputFile> file_;
    PasswordProvider password_;
    std::vector<Entry> entries_;
    std::vector<Folder> folders_;
    std::vector<PackStream> packStreams_;

    friend class HeaderParser;
};

// Decoding one folder from pack streams read through `file`. Used for the archive's files and
// for a compressed header alike.
std::unique_ptr<ByteSource> openFolderStream(InputFile& file, const Folder& folder,
                                             const std::vector<PackStream>& packStreams,
                                             const PasswordProvider& password);

}  // namespace qs::archive
