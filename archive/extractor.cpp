#include "archive/extractor.h"

#include <set>

#include "archive/archive_error.h"
#include "archive/codec/crc32.h"
#include "archive/entry_path.h"

namespace qs::archive {
namespace {

constexpr std::size_t kChunk = 256 * 1024;
constexpr std::uint64_t kProgressStep = 1 << 20;

// A link below the target folder could lead anywhere: it is neither followed nor replaced.
[[noreturn]] void linkInTheWay() { throw ArchiveError(ArchiveErrorKind::UnsafePath, "a link in the target folder is in the way"); }

[[noreturn]] void aborted() { throw ArchiveError(ArchiveErrorKind::Aborted, "extraction cancelled"); }

class Extraction {
public:
    Extraction(SevenZipArchive& archive, FileAccess& files, const std::vector<bool>& selected, const ExtractOptions& options,
               const ExtractCallbacks& callbacks)
        : archive_(archive), files_(files), selected_(selected), options_(options), callbacks_(callbacks), buffer_(kChunk) {}

    void run() {
        const std::vector<Entry>& entries = archive_.entries();
        if (selected_.size() != entries.size()) throw ArchiveError(ArchiveErrorKind::Io, "selection does not match the archive");
        // Names first: nothing is written when any selected name is unsafe.
        std::vector<std::vector<std::u16string>> parts(entries.size());
        std::size_t total = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!wanted(i)) continue;
            parts[i] = safeComponents(entries[i].name);
            if (!entries[i].isFolder) totalBytes_ += entries[i].size;
            ++total;
        }
        files_.createFolderTree(options_.targetFolder);
        std::size_t done = 0;
        std::vector<std::pair<Path, const Entry*>> folders;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!wanted(i)) continue;
            const Entry& e = entries[i];
            if (e.isFolder) {
                if (options_.keepPaths) {
                    const Path path = makeParents(parts[i], parts[i].size());
                    folders.emplace_back(path, &e);
                }
            } else {
                const Path path = options_.keepPaths ? makeParents(parts[i], parts[i].size() - 1) + parts[i].back()
                                                     : join(options_.targetFolder, parts[i].back());
                extractFile(e, path);
            }
            ++done;
            if (callbacks_.entryDone && !callbacks_.entryDone(done, total)) aborted();
        }
        // Folder times last: writing their files changed them.
        for (const auto& [path, entry] : folders) files_.stampFolder(path, stamp(*entry));
    }

private:
    bool wanted(std::size_t i) const { return selected_[i] && !archive_.entries()[i].isAnti; }

    Path join(const Path& folder, const std::u16string& name) const {
        Path p = folder;
        if (!p.empty() && p.back() != u'/' && p.back() != u'\\') p += files_.separator();
        return p + name;
    }

    // Creates target\parts[0]\...\parts[n-1] as folders; returns that path with a separator.
    Path makeParents(const std::vector<std::u16string>& parts, std::size_t n) {
        Path path = options_.targetFolder;
        for (std::size_t k = 0; k < n; ++k) {
            path = join(path, parts[k]);
            if (created_.insert(path).second) {
                switch (files_.kind(path)) {
                case PathKind::File: throw ArchiveError(ArchiveErrorKind::Io, "a file is in the way of a folder to be created");
                case PathKind::Link: linkInTheWay();
                default: break;
                }
                files_.createFolder(path);
            }
        }
        return join(path, u"");
    }

    static FileStamp stamp(const Entry& e) { return FileStamp{e.modified, e.attributes}; }

    void report(const Entry& e) {
        if (callbacks_.progress && !callbacks_.progress(e, doneBytes_, totalBytes_)) aborted();
    }

    void extractFile(const Entry& e, const Path& path) {
        report(e);
        bool write = true;
        switch (files_.kind(path)) {
        case PathKind::Folder:
            throw ArchiveError(ArchiveErrorKind::Io, "a folder is in the way of a file to be written");
        case PathKind::File:
            if (callbacks_.overwrite) {
                const OverwriteAnswer answer = callbacks_.overwrite(path, e, files_.existing(path));
                if (answer == OverwriteAnswer::Abort) aborted();
                write = answer == OverwriteAnswer::Overwrite;
            }
            break;
        case PathKind::Link:
            linkInTheWay();
        case PathKind::Missing:
            break;
        }
        if (!e.hasStream) {
            if (write) files_.createOutput(path)->commit(stamp(e));
            return;
        }
        ByteSource& source = folderAt(e);
        const Folder& folder = archive_.folders()[e.folder];
        // A folder holding just this file checks the same CRC itself at its end.
        const bool folderChecks = folder.numSubstreams == 1 && folder.crc && e.crc == folder.crc;
        std::unique_ptr<OutputFile> out = write ? files_.createOutput(path) : nullptr;
        try {
            std::uint32_t crc = 0;
            std::uint64_t left = e.size, sinceReport = 0;
            while (left > 0) {
                const std::size_t want = left < buffer_.size() ? static_cast<std::size_t>(left) : buffer_.size();
                const std::size_t n = readSome(source, want);
                if (!folderChecks) crc = crc32(buffer_.data(), n, crc);
                if (out) out->write(buffer_.data(), n);
                left -= n;
                folderPos_ += n;
                doneBytes_ += n;
                sinceReport += n;
                if (sinceReport >= kProgressStep && left > 0) {
                    sinceReport = 0;
                    report(e);
                }
            }
            if (folderChecks) {
                std::uint8_t probe;
                if (source.read(&probe, 1) != 0) throw ArchiveError(ArchiveErrorKind::Corrupt, "folder longer than its file");
            } else if (e.crc && crc != *e.crc) {
                throw ArchiveError(archive_.folders()[e.folder].encrypted() ? ArchiveErrorKind::WrongPassword
                                                                             : ArchiveErrorKind::CrcMismatch,
                                   archive_.folders()[e.folder].encrypted() ? "wrong password (or damaged encrypted data)"
                                                                             : "CRC error in a file");
            }
            if (out) out->commit(stamp(e));
        } catch (...) {
            if (out) {
                out.reset();
                files_.removeFile(path);
            }
            folderSource_.reset();  // the stream is no longer in step
            throw;
        }
        report(e);
    }

    std::size_t readSome(ByteSource& source, std::size_t want) {
        const std::size_t n = source.read(buffer_.data(), want);
        if (n == 0) throw ArchiveError(ArchiveErrorKind::Corrupt, "folder data ends early");
        return n;
    }

    // The decoded folder of `e`, positioned at the start of e's data.
    ByteSource& folderAt(const Entry& e) {
        if (!folderSource_ || currentFolder_ != e.folder || folderPos_ > e.offsetInFolder) {
            folderSource_ = archive_.openFolder(e.folder);
            currentFolder_ = e.folder;
            folderPos_ = 0;
        }
        while (folderPos_ < e.offsetInFolder) {
            const std::uint64_t gap = e.offsetInFolder - folderPos_;
            folderPos_ += readSome(*folderSource_, gap < buffer_.size() ? static_cast<std::size_t>(gap) : buffer_.size());
        }
        return *folderSource_;
    }

    SevenZipArchive& archive_;
    FileAccess& files_;
    const std::vector<bool>& selected_;
    const ExtractOptions& options_;
    const ExtractCallbacks& callbacks_;
    std::vector<std::uint8_t> buffer_;
    std::set<Path> created_;
    std::unique_ptr<ByteSource> folderSource_;
    std::uint32_t currentFolder_ = 0;
    std::uint64_t folderPos_ = 0;
    std::uint64_t doneBytes_ = 0, totalBytes_ = 0;
};

}  // namespace

void extractEntries(SevenZipArchive& archive, FileAccess& files, const std::vector<bool>& selected,
                    const ExtractOptions& options, const ExtractCallbacks& callbacks) {
    Extraction(archive, files, selected, options, callbacks).run();
}

}  // namespace qs::archive
