// libFuzzer target: the 7z container reader and the extractor on arbitrary bytes.
//
// Whatever the input, opening, decoding and extracting must end in success or ArchiveError:
// no crash, no other exception, no hang, no unbounded allocation. Files are "written" to a
// file system that only counts bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/archive_error.h"
#include "archive/extractor.h"
#include "archive/sevenzip_archive.h"

using namespace qs::archive;

namespace {

class CountingOutput final : public OutputFile {
public:
    void write(const std::uint8_t*, std::size_t size) override { written += size; }
    void commit(const FileStamp&) override {}
    std::uint64_t written = 0;
};

class NullFileAccess final : public FileAccess {
public:
    char16_t separator() const override { return u'/'; }
    std::unique_ptr<InputFile> openInput(const Path&) override { return nullptr; }
    PathKind kind(const Path& path) override { return path.size() % 5 == 0 ? PathKind::File : PathKind::Missing; }
    ExistingFile existing(const Path&) override { return {}; }
    void createFolder(const Path&) override {}
    void createFolderTree(const Path&) override {}
    std::unique_ptr<OutputFile> createOutput(const Path&) override { return std::make_unique<CountingOutput>(); }
    void removeFile(const Path&) override {}
    void stampFolder(const Path&, const FileStamp&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        SevenZipArchive archive(std::make_unique<MemoryInputFile>(std::string(reinterpret_cast<const char*>(data), size)),
                                // No password: deriving a key costs a fraction of a second, which
                                // would starve the fuzzer; encrypted folders stop at WrongPassword.
                                [] { return std::optional<std::u16string>(); });
        NullFileAccess files;
        ExtractOptions options;
        options.targetFolder = u"/target";
        ExtractCallbacks callbacks;
        callbacks.overwrite = [](const Path&, const Entry& e, const ExistingFile&) {
            return e.size % 2 ? OverwriteAnswer::Overwrite : OverwriteAnswer::Skip;
        };
        extractEntries(archive, files, std::vector<bool>(archive.entries().size(), true), options, callbacks);
    } catch (const ArchiveError&) {
    }
    return 0;
}
