// Decoding throughput of our 7z reader against 7zz on the same LZMA2 archive, single-threaded.
//
//   archive_bench [WORK_DIR] [MEGABYTES]
//
// Makes ~MEGABYTES (default 64) of mixed data (text, tables, noise), packs it with 7zz
// (LZMA2, -mx=5), then times decoding every folder with CRC checks ("7zz t -mmt=1" against our
// reader, output discarded), best of three runs each. Prints the throughputs and the ratio
// ours/7zz (goal: at least 0.8).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "archive/extractor.h"
#include "archive/sevenzip_archive.h"

using namespace qs::archive;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void makeData(const fs::path& dir, std::size_t megabytes) {
    fs::create_directories(dir);
    std::mt19937 rng(1234);
    const std::size_t perFile = 8u << 20;
    for (std::size_t written = 0, n = 0; written < (megabytes << 20); ++n) {
        std::string data;
        data.reserve(perFile);
        while (data.size() < perFile) {
            switch (rng() % 4) {
            case 0:  // text
                for (int i = 0; i < 200; ++i) data += "entry " + std::to_string(rng() % 5000) + " value=" + std::to_string(rng() % 97) + "\r\n";
                break;
            case 1:  // a table of little-endian numbers
                for (int i = 0; i < 2000; ++i) {
                    const std::uint32_t v = 100000 + i * 13 + rng() % 7;
                    data.append(reinterpret_cast<const char*>(&v), 4);
                }
                break;
            case 2:  // noise
                for (int i = 0; i < 2000; ++i) data += static_cast<char>(rng());
                break;
            default:  // repeats of earlier data
                if (data.size() > 10000) data += data.substr(rng() % (data.size() - 5000), 4000);
                break;
            }
        }
        data.resize(perFile);
        std::ofstream(dir / ("part" + std::to_string(n) + ".bin"), std::ios::binary) << data;
        written += data.size();
    }
}

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Extraction with every check, into files that discard their bytes (as "7zz t").
class DiscardOutput final : public OutputFile {
public:
    explicit DiscardOutput(std::uint64_t& total) : total_(total) {}
    void write(const std::uint8_t*, std::size_t size) override { total_ += size; }
    void commit(const FileStamp&) override {}

private:
    std::uint64_t& total_;
};

class DiscardFileAccess final : public FileAccess {
public:
    std::uint64_t total = 0;
    char16_t separator() const override { return u'/'; }
    std::unique_ptr<InputFile> openInput(const Path&) override { return nullptr; }
    PathKind kind(const Path&) override { return PathKind::Missing; }
    ExistingFile existing(const Path&) override { return {}; }
    void createFolder(const Path&) override {}
    void createFolderTree(const Path&) override {}
    std::unique_ptr<OutputFile> createOutput(const Path&) override { return std::make_unique<DiscardOutput>(total); }
    void removeFile(const Path&) override {}
    void stampFolder(const Path&, const FileStamp&) override {}
};

std::uint64_t decodeAll(const fs::path& archivePath) {
    StdFileAccess files;
    SevenZipArchive archive(files.openInput(archivePath.u16string()), {});
    DiscardFileAccess sink;
    ExtractOptions options;
    options.targetFolder = u"/discard";
    extractEntries(archive, sink, std::vector<bool>(archive.entries().size(), true), options, {});
    return sink.total;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "qs-archive-bench";
    const std::size_t megabytes = argc > 2 ? std::stoul(argv[2]) : 64;
    const fs::path archive = work / "bench.7z";
    if (!fs::exists(archive)) {
        std::printf("making %zu MB of data and packing it with 7zz (LZMA2, -mx=5)...\n", megabytes);
        makeData(work / "data", megabytes);
        const std::string cmd = "cd '" + (work / "data").string() + "' && 7zz a -bso0 -bsp0 -m0=LZMA2 -mx=5 '" + archive.string() + "' . >/dev/null";
        if (std::system(cmd.c_str()) != 0) {
            std::fprintf(stderr, "7zz failed\n");
            return 1;
        }
        fs::remove_all(work / "data");
    }
    double ours = 1e9, reference = 1e9;
    std::uint64_t bytes = 0;
    for (int run = 0; run < 3; ++run) {
        auto t = Clock::now();
        bytes = decodeAll(archive);
        ours = std::min(ours, secondsSince(t));
        t = Clock::now();
        const std::string cmd = "7zz t -mmt=1 -bso0 -bsp0 '" + archive.string() + "' >/dev/null";
        if (std::system(cmd.c_str()) != 0) {
            std::fprintf(stderr, "7zz t failed\n");
            return 1;
        }
        reference = std::min(reference, secondsSince(t));
    }
    const double mb = bytes / 1048576.0;
    std::printf("archive: %s (%.1f MB packed, %.1f MB unpacked)\n", archive.c_str(), fs::file_size(archive) / 1048576.0, mb);
    std::printf("ours:    %.3f s  %.1f MB/s\n", ours, mb / ours);
    std::printf("7zz:     %.3f s  %.1f MB/s (t -mmt=1)\n", reference, mb / reference);
    std::printf("ratio ours/7zz: %.2f (goal >= 0.8)\n", reference / ours);
    return 0;
}
