#include "archive/sevenzip_archive.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "archive/archive_error.h"
#include "archive/bcj2_decoder.h"
#include "archive/codec/crc32.h"

namespace qs::archive {
namespace {

// Property ids of the 7z header.
enum : std::uint8_t {
    kEnd = 0x00,
    kHeader = 0x01,
    kArchiveProperties = 0x02,
    kAdditionalStreamsInfo = 0x03,
    kMainStreamsInfo = 0x04,
    kFilesInfo = 0x05,
    kPackInfo = 0x06,
    kUnpackInfo = 0x07,
    kSubStreamsInfo = 0x08,
    kSize = 0x09,
    kCrc = 0x0A,
    kFolder = 0x0B,
    kCodersUnpackSize = 0x0C,
    kNumUnpackStream = 0x0D,
    kEmptyStream = 0x0E,
    kEmptyFile = 0x0F,
    kAnti = 0x10,
    kName = 0x11,
    kMTime = 0x14,
    kWinAttributes = 0x15,
    kEncodedHeader = 0x17,
};

constexpr std::uint8_t kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
constexpr std::size_t kSignatureHeaderSize = 32;

[[noreturn]] void corrupt(const std::string& what) { throw ArchiveError(ArchiveErrorKind::Corrupt, "damaged archive header: " + what); }
[[noreturn]] void unsupported(const std::string& what) { throw ArchiveError(ArchiveErrorKind::Unsupported, "unsupported archive feature: " + what); }

std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }
std::uint64_t le64(const std::uint8_t* p) { return le32(p) | static_cast<std::uint64_t>(le32(p + 4)) << 32; }

// Sequential reading of header bytes; every read is bounds-checked.
class HeaderReader {
public:
    HeaderReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ == size_; }

    std::uint8_t byte() {
        need(1);
        return data_[pos_++];
    }
    const std::uint8_t* bytes(std::uint64_t n) {
        need(n);
        const std::uint8_t* p = data_ + pos_;
        pos_ += static_cast<std::size_t>(n);
        return p;
    }
    std::uint32_t u32() { return le32(bytes(4)); }
    std::uint64_t u64() { return le64(bytes(8)); }

    // The 7z variable-length number: the count of leading one bits of the first byte gives the
    // count of little-endian bytes that follow; the first byte's remaining bits are the top.
    std::uint64_t number() {
        const std::uint8_t first = byte();
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            const std::uint8_t mask = static_cast<std::uint8_t>(0x80u >> i);
            if ((first & mask) == 0) {
                const std::uint64_t high = first & (mask - 1u);
                return value | (high << (8 * i));
            }
            value |= static_cast<std::uint64_t>(byte()) << (8 * i);
        }
        return value;
    }
    // A count, refused above `limit` (callers pass what the rest of the header could hold).
    std::uint64_t count(const char* what, std::uint64_t limit) {
        const std::uint64_t n = number();
        if (n > limit) corrupt(std::string("too many ") + what);
        return n;
    }
    HeaderReader sub(std::uint64_t n) {
        const std::uint8_t* p = bytes(n);
        return HeaderReader(p, static_cast<std::size_t>(n));
    }

private:
    void need(std::uint64_t n) const {
        if (n > remaining()) corrupt("unexpected end of header");
    }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

std::vector<bool> readBits(HeaderReader& r, std::uint64_t n) {
    if ((n + 7) / 8 > r.remaining()) corrupt("bit field longer than the header");
    std::vector<bool> bits(static_cast<std::size_t>(n));
    std::uint8_t current = 0;
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (i % 8 == 0) current = r.byte();
        bits[i] = (current & (0x80u >> (i % 8))) != 0;
    }
    return bits;
}

// "All defined" byte, else a bit field.
std::vector<bool> readDefined(HeaderReader& r, std::uint64_t n) {
    if (r.byte() != 0) return std::vector<bool>(static_cast<std::size_t>(n), true);
    return readBits(r, n);
}

std::vector<std::optional<std::uint32_t>> readDigests(HeaderReader& r, std::uint64_t n) {
    std::vector<bool> defined = readDefined(r, n);
    std::vector<std::optional<std::uint32_t>> digests(defined.size());
    for (std::size_t i = 0; i < defined.size(); ++i)
        if (defined[i]) digests[i] = r.u32();
    return digests;
}

void skipProperty(HeaderReader& r) { r.bytes(r.number()); }

struct StreamsInfo {
    std::vector<PackStream> packStreams;
    std::vector<Folder> folders;
    // One per file stream, in order: the folder, its size and its CRC.
    struct Substream {
        std::uint32_t folder;
        std::uint64_t offset;
        std::uint64_t size;
        std::optional<std::uint32_t> crc;
    };
    std::vector<Substream> substreams;
};

class HeaderParserImpl {
public:
    explicit HeaderParserImpl(std::uint64_t fileSize) : fileSize_(fileSize) {}

    StreamsInfo streamsInfo(HeaderReader& r) {
        StreamsInfo si;
        bool haveUnpackInfo = false, haveSubstreams = false;
        std::uint8_t id = r.byte();
        if (id == kPackInfo) {
            packInfo(r, si);
            id = r.byte();
        }
        if (id == kUnpackInfo) {
            unpackInfo(r, si);
            haveUnpackInfo = true;
            id = r.byte();
        }
        if (id == kSubStreamsInfo) {
            if (!haveUnpackInfo) corrupt("substreams without folders");
            subStreamsInfo(r, si);
            haveSubstreams = true;
            id = r.byte();
        }
        if (id != kEnd) corrupt("unexpected property in streams info");
        if (!haveSubstreams) {
            for (std::uint32_t f = 0; f < si.folders.size(); ++f)
                si.substreams.push_back({f, 0, si.folders[f].unpackSize(), si.folders[f].crc});
        }
        // Each folder's packed streams must exist.
        std::uint64_t nextPack = 0;
        for (Folder& folder : si.folders) {
            folder.firstPackStream = static_cast<std::uint32_t>(nextPack);
            nextPack += folder.packedStreams.size();
            if (nextPack > si.packStreams.size()) corrupt("folder without packed stream");
        }
        return si;
    }

    std::vector<Entry> filesInfo(HeaderReader& r, const StreamsInfo& si) {
        const std::uint64_t numFiles = r.count("files", std::min<std::uint64_t>(kMaxEntries, r.remaining()));
        std::vector<Entry> entries(static_cast<std::size_t>(numFiles));
        std::vector<bool> emptyStream(entries.size(), false), emptyFile, anti;
        std::size_t numEmpty = 0;
        for (;;) {
            const std::uint64_t type = r.number();
            if (type == kEnd) break;
            HeaderReader p = r.sub(r.number());
            switch (type) {
            case kEmptyStream:
                emptyStream = readBits(p, numFiles);
                numEmpty = static_cast<std::size_t>(std::count(emptyStream.begin(), emptyStream.end(), true));
                break;
            case kEmptyFile:
                emptyFile = readBits(p, numEmpty);
                break;
            case kAnti:
                anti = readBits(p, numEmpty);
                break;
            case kName:
                names(p, entries);
                break;
            case kMTime: {
                std::vector<bool> defined = readDefined(p, numFiles);
                if (p.byte() != 0) unsupported("times stored outside the header");
                for (std::size_t i = 0; i < entries.size(); ++i)
                    if (defined[i]) entries[i].modified = p.u64();
                break;
            }
            case kWinAttributes: {
                std::vector<bool> defined = readDefined(p, numFiles);
                if (p.byte() != 0) unsupported("attributes stored outside the header");
                for (std::size_t i = 0; i < entries.size(); ++i)
                    if (defined[i]) entries[i].attributes = p.u32();
                break;
            }
            default:
                break;  // creation and access times, start positions, padding: not needed
            }
        }
        std::size_t stream = 0, empty = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Entry& e = entries[i];
            if (!emptyStream[i]) {
                if (stream >= si.substreams.size()) corrupt("more files than streams");
                const StreamsInfo::Substream& s = si.substreams[stream++];
                e.hasStream = true;
                e.folder = s.folder;
                e.offsetInFolder = s.offset;
                e.size = s.size;
                e.crc = s.crc;
            } else {
                e.isFolder = empty >= emptyFile.size() || !emptyFile[empty];
                e.isAnti = empty < anti.size() && anti[empty];
                ++empty;
            }
        }
        if (stream != si.substreams.size()) corrupt("streams without files");
        return entries;
    }

private:
    void packInfo(HeaderReader& r, StreamsInfo& si) {
        const std::uint64_t packPos = r.number();
        const std::uint64_t n = r.count("packed streams", r.remaining());
        si.packStreams.resize(static_cast<std::size_t>(n));
        bool haveSizes = false;
        for (;;) {
            const std::uint8_t id = r.byte();
            if (id == kEnd) break;
            if (id == kSize) {
                for (PackStream& p : si.packStreams) p.size = r.number();
                haveSizes = true;
            } else if (id == kCrc) {
                std::vector<std::optional<std::uint32_t>> d = readDigests(r, n);
                for (std::size_t i = 0; i < d.size(); ++i) si.packStreams[i].crc = d[i];
            } else {
                skipProperty(r);
            }
        }
        if (!haveSizes && n) corrupt("packed stream sizes missing");
        // The packed streams lie one after the other behind the signature header.
        if (packPos > fileSize_) corrupt("packed streams beyond the end of the archive");
        std::uint64_t offset = kSignatureHeaderSize + packPos;
        for (PackStream& p : si.packStreams) {
            if (offset > fileSize_ || p.size > fileSize_ - offset) corrupt("packed stream beyond the end of the archive (truncated?)");
            p.offset = offset;
            offset += p.size;
        }
    }

    void unpackInfo(HeaderReader& r, StreamsInfo& si) {
        if (r.byte() != kFolder) corrupt("folder list expected");
        const std::uint64_t n = r.count("folders", r.remaining());
        if (r.byte() != 0) unsupported("folders stored outside the header");
        si.folders.resize(static_cast<std::size_t>(n));
        for (Folder& f : si.folders) folder(r, f);
        if (r.byte() != kCodersUnpackSize) corrupt("unpack sizes expected");
        for (Folder& f : si.folders)
            for (std::uint64_t& size : f.unpackSizes) size = r.number();
        for (;;) {
            const std::uint8_t id = r.byte();
            if (id == kEnd) break;
            if (id == kCrc) {
                std::vector<std::optional<std::uint32_t>> d = readDigests(r, n);
                for (std::size_t i = 0; i < d.size(); ++i) si.folders[i].crc = d[i];
            } else {
                skipProperty(r);
            }
        }
    }

    void folder(HeaderReader& r, Folder& f) {
        const std::uint64_t numCoders = r.number();
        if (numCoders == 0 || numCoders > kMaxCodersPerFolder) corrupt("bad coder count");
        f.coders.resize(static_cast<std::size_t>(numCoders));
        std::uint32_t totalIn = 0, totalOut = 0;
        for (Coder& c : f.coders) {
            const std::uint8_t flags = r.byte();
            if (flags & 0xC0) unsupported("alternative coder methods");
            const std::uint8_t idSize = flags & 0x0F;
            if (idSize > 8) unsupported("method id longer than 8 bytes");
            const std::uint8_t* id = r.bytes(idSize);
            c.methodId = 0;
            for (std::uint8_t i = 0; i < idSize; ++i) c.methodId = c.methodId << 8 | id[i];
            if (flags & 0x10) {
                const std::uint64_t in = r.number(), out = r.number();
                if (in == 0 || out == 0 || in > kMaxStreamsPerCoder || out > kMaxStreamsPerCoder) corrupt("bad coder stream count");
                c.numInStreams = static_cast<std::uint32_t>(in);
                c.numOutStreams = static_cast<std::uint32_t>(out);
            }
            if (flags & 0x20) {
                const std::uint64_t size = r.number();
                const std::uint8_t* p = r.bytes(size);
                c.props.assign(p, p + size);
            }
            totalIn += c.numInStreams;
            totalOut += c.numOutStreams;
        }
        const std::uint32_t numBindPairs = totalOut - 1;
        if (totalIn < numBindPairs) corrupt("more bind pairs than coder inputs");
        std::vector<bool> inBound(totalIn, false), outBound(totalOut, false);
        for (std::uint32_t i = 0; i < numBindPairs; ++i) {
            const std::uint64_t in = r.number(), out = r.number();
            if (in >= totalIn || out >= totalOut || inBound[in] || outBound[out]) corrupt("bad bind pair");
            inBound[in] = outBound[out] = true;
            f.bindPairs.emplace_back(static_cast<std::uint32_t>(in), static_cast<std::uint32_t>(out));
        }
        const std::uint32_t numPacked = totalIn - numBindPairs;
        if (numPacked == 1) {
            const auto it = std::find(inBound.begin(), inBound.end(), false);
            if (it == inBound.end()) corrupt("no packed stream");
            f.packedStreams.push_back(static_cast<std::uint32_t>(it - inBound.begin()));
        } else {
            for (std::uint32_t i = 0; i < numPacked; ++i) {
                const std::uint64_t in = r.number();
                if (in >= totalIn || inBound[in]) corrupt("bad packed stream index");
                inBound[in] = true;
                f.packedStreams.push_back(static_cast<std::uint32_t>(in));
            }
        }
        const auto main = std::find(outBound.begin(), outBound.end(), false);
        if (main == outBound.end()) corrupt("no folder output");
        f.mainOutStream = static_cast<std::uint32_t>(main - outBound.begin());
        f.unpackSizes.resize(totalOut);
    }

    void subStreamsInfo(HeaderReader& r, StreamsInfo& si) {
        std::uint8_t id = r.byte();
        if (id == kNumUnpackStream) {
            std::uint64_t total = 0;
            for (Folder& f : si.folders) {
                f.numSubstreams = r.number();
                total += std::min<std::uint64_t>(f.numSubstreams, kMaxEntries + 1);
                if (total > kMaxEntries) corrupt("too many streams");
            }
            id = r.byte();
        }
        for (std::uint32_t fi = 0; fi < si.folders.size(); ++fi) {
            const Folder& f = si.folders[fi];
            if (f.numSubstreams == 0) continue;
            const std::uint64_t folderSize = f.unpackSize();
            std::uint64_t offset = 0;
            if (f.numSubstreams > 1) {
                if (id != kSize) corrupt("stream sizes missing");
                // Each size takes at least one header byte.
                if (f.numSubstreams - 1 > r.remaining()) corrupt("stream sizes longer than the header");
                for (std::uint64_t j = 0; j + 1 < f.numSubstreams; ++j) {
                    const std::uint64_t size = r.number();
                    if (size > folderSize - offset) corrupt("stream sizes exceed their folder");
                    si.substreams.push_back({fi, offset, size, std::nullopt});
                    offset += size;
                }
            }
            si.substreams.push_back({fi, offset, folderSize - offset, std::nullopt});
        }
        if (id == kSize) id = r.byte();

        // Digests are given for the streams whose CRC the folder does not already give.
        std::size_t numUnknown = 0;
        for (const StreamsInfo::Substream& s : si.substreams) {
            const Folder& f = si.folders[s.folder];
            if (!(f.numSubstreams == 1 && f.crc)) ++numUnknown;
        }
        for (;;) {
            if (id == kEnd) break;
            if (id == kCrc) {
                std::vector<std::optional<std::uint32_t>> d = readDigests(r, numUnknown);
                std::size_t k = 0;
                for (StreamsInfo::Substream& s : si.substreams) {
                    const Folder& f = si.folders[s.folder];
                    if (!(f.numSubstreams == 1 && f.crc)) s.crc = d[k++];
                }
            } else {
                skipProperty(r);
            }
            id = r.byte();
        }
        for (StreamsInfo::Substream& s : si.substreams) {
            const Folder& f = si.folders[s.folder];
            if (f.numSubstreams == 1 && f.crc) s.crc = f.crc;
        }
    }

    void names(HeaderReader& p, std::vector<Entry>& entries) {
        if (p.byte() != 0) unsupported("names stored outside the header");
        for (Entry& e : entries) {
            for (;;) {
                const std::uint8_t* c = p.bytes(2);
                const char16_t ch = static_cast<char16_t>(c[0] | c[1] << 8);
                if (ch == 0) break;
                e.name.push_back(ch);
            }
        }
        if (!p.atEnd()) corrupt("extra bytes after the names");
    }

    std::uint64_t fileSize_;
};

// Reads one packed stream of the archive file, checking its CRC when the header gives one.
class PackedSource final : public ByteSource {
public:
    PackedSource(InputFile& file, const PackStream& stream) : file_(file), stream_(stream) {}
    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        const std::uint64_t left = stream_.size - pos_;
        if (size > left) size = static_cast<std::size_t>(left);
        if (size == 0) {
            if (stream_.crc && !checked_) {
                checked_ = true;
                if (crc_ != *stream_.crc) throw ArchiveError(ArchiveErrorKind::CrcMismatch, "CRC error in packed data");
            }
            return 0;
        }
        const std::size_t n = file_.readAt(stream_.offset + pos_, dst, size);
        if (n == 0) throw ArchiveError(ArchiveErrorKind::Corrupt, "unexpected end of archive (truncated?)");
        if (stream_.crc) crc_ = crc32(dst, n, crc_);
        pos_ += n;
        return n;
    }

private:
    InputFile& file_;
    PackStream stream_;
    std::uint64_t pos_ = 0;
    std::uint32_t crc_ = 0;
    bool checked_ = false;
};

// The stored ("Copy") method: the packed bytes are the data.
class CopySource final : public ByteSource {
public:
    CopySource(std::unique_ptr<ByteSource> input, std::uint64_t size) : input_(std::move(input)), left_(size) {}
    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        if (left_ == 0) return 0;
        if (size > left_) size = static_cast<std::size_t>(left_);
        const std::size_t n = input_->read(dst, size);
        if (n == 0) throw ArchiveError(ArchiveErrorKind::Corrupt, "stored data shorter than its size");
        left_ -= n;
        return n;
    }

private:
    std::unique_ptr<ByteSource> input_;
    std::uint64_t left_;
};

// A folder's final output: exactly its unpack size, CRC-checked at the end; data errors in an
// encrypted folder are reported as a wrong password.
class FolderSource final : public ByteSource {
public:
    FolderSource(std::unique_ptr<ByteSource> chain, std::uint64_t size, std::optional<std::uint32_t> crc, bool encrypted)
        : chain_(std::move(chain)), left_(size), crc_(crc), encrypted_(encrypted) {}
    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        try {
            return readChecked(dst, size);
        } catch (const ArchiveError& e) {
            if (encrypted_ && (e.kind() == ArchiveErrorKind::Corrupt || e.kind() == ArchiveErrorKind::CrcMismatch))
                throw ArchiveError(ArchiveErrorKind::WrongPassword, "wrong password (or damaged encrypted data)");
            throw;
        }
    }

private:
    std::size_t readChecked(std::uint8_t* dst, std::size_t size) {
        if (left_ == 0) {
            if (crc_ && !checked_) {
                checked_ = true;
                if (running_ != *crc_) throw ArchiveError(ArchiveErrorKind::CrcMismatch, "CRC error in decoded data");
            }
            return 0;
        }
        if (size > left_) size = static_cast<std::size_t>(left_);
        const std::size_t n = chain_->read(dst, size);
        if (n == 0) throw ArchiveError(ArchiveErrorKind::Corrupt, "decoded data shorter than its size");
        if (crc_) running_ = crc32(dst, n, running_);
        left_ -= n;
        return n;
    }

    std::unique_ptr<ByteSource> chain_;
    std::uint64_t left_;
    std::optional<std::uint32_t> crc_;
    std::uint32_t running_ = 0;
    bool checked_ = false;
    bool encrypted_;
};

// Builds the decoder that yields out stream `out` of the folder, and recursively its inputs.
std::unique_ptr<ByteSource> buildChain(InputFile& file, const Folder& folder, const std::vector<PackStream>& packStreams,
                                       const PasswordProvider& password, std::uint32_t out, unsigned depth) {
    if (depth > folder.coders.size()) corrupt("coder chain loops");
    std::uint32_t firstIn = 0, firstOut = 0;
    const Coder* coder = nullptr;
    for (const Coder& c : folder.coders) {
        if (out < firstOut + c.numOutStreams) {
            coder = &c;
            break;
        }
        firstIn += c.numInStreams;
        firstOut += c.numOutStreams;
    }
    if (!coder) corrupt("bad out stream");

    // The source feeding in stream `in`: another coder's output or a packed stream.
    auto inputFor = [&](std::uint32_t in) -> std::unique_ptr<ByteSource> {
        const auto bound = std::find_if(folder.bindPairs.begin(), folder.bindPairs.end(),
                                        [&](const auto& bp) { return bp.first == in; });
        if (bound != folder.bindPairs.end()) return buildChain(file, folder, packStreams, password, bound->second, depth + 1);
        const auto packed = std::find(folder.packedStreams.begin(), folder.packedStreams.end(), in);
        if (packed == folder.packedStreams.end()) corrupt("coder input not connected");
        const std::size_t index = folder.firstPackStream + (packed - folder.packedStreams.begin());
        if (index >= packStreams.size()) corrupt("folder without packed stream");
        return std::make_unique<PackedSource>(file, packStreams[index]);
    };

    if (coder->methodId == kBcj2MethodId && coder->numInStreams == 4 && coder->numOutStreams == 1) {
        auto mainStream = inputFor(firstIn), call = inputFor(firstIn + 1), jump = inputFor(firstIn + 2), rc = inputFor(firstIn + 3);
        return makeBcj2Decoder(std::move(mainStream), std::move(call), std::move(jump), std::move(rc), folder.unpackSizes.at(out));
    }
    if (coder->numInStreams != 1 || coder->numOutStreams != 1)
        unsupported("coder with several streams (" + methodName(coder->methodId) + ")");
    std::unique_ptr<ByteSource> input = inputFor(firstIn);
    const std::uint64_t size = folder.unpackSizes.at(out);
    if (coder->methodId == method::kCopy) return std::make_unique<CopySource>(std::move(input), size);
    if (!isSupportedMethod(coder->methodId)) unsupported("compression method " + methodName(coder->methodId));
    return makeDecoder(coder->methodId, coder->props, std::move(input), size, password);
}

}  // namespace

bool Folder::encrypted() const {
    return std::any_of(coders.begin(), coders.end(), [](const Coder& c) { return c.methodId == method::kAes256Sha256; });
}

std::unique_ptr<ByteSource> openFolderStream(InputFile& file, const Folder& folder, const std::vector<PackStream>& packStreams,
                                             const PasswordProvider& password) {
    const bool encrypted = folder.encrypted();
    try {
        auto chain = buildChain(file, folder, packStreams, password, folder.mainOutStream, 0);
        return std::make_unique<FolderSource>(std::move(chain), folder.unpackSize(), folder.crc, encrypted);
    } catch (const ArchiveError& e) {
        // A decoder may check its first bytes when it is made.
        if (encrypted && e.kind() == ArchiveErrorKind::Corrupt)
            throw ArchiveError(ArchiveErrorKind::WrongPassword, "wrong password (or damaged encrypted data)");
        throw;
    }
}

class HeaderParser {
public:
    static void parse(SevenZipArchive& a) {
        InputFile& file = *a.file_;
        const std::uint64_t fileSize = file.size();
        std::uint8_t sig[kSignatureHeaderSize] = {};
        const std::size_t got = readFully(file, 0, sig, sizeof sig);
        if (got < sizeof kSignature || std::memcmp(sig, kSignature, sizeof kSignature) != 0)
            throw ArchiveError(ArchiveErrorKind::NotAnArchive, "not a 7z archive");
        if (got < kSignatureHeaderSize) corrupt("truncated signature header");
        if (sig[6] != 0) unsupported("7z format version " + std::to_string(sig[6]));
        if (crc32(sig + 12, 20) != le32(sig + 8)) corrupt("signature header CRC error");
        const std::uint64_t nextOffset = le64(sig + 12), nextSize = le64(sig + 20);
        const std::uint32_t nextCrc = le32(sig + 28);
        if (nextSize == 0) return;  // an empty archive
        const std::uint64_t room = fileSize - kSignatureHeaderSize;
        if (nextOffset > room || nextSize > room - nextOffset) corrupt("header beyond the end of the archive (truncated?)");
        if (nextSize > kMaxHeaderSize) corrupt("header too large");
        std::vector<std::uint8_t> header(static_cast<std::size_t>(nextSize));
        if (readFully(file, kSignatureHeaderSize + nextOffset, header.data(), header.size()) != header.size())
            corrupt("truncated header");
        if (crc32(header.data(), header.size()) != nextCrc) corrupt("header CRC error");

        HeaderParserImpl parser(fileSize);
        // A header may be stored encoded (compressed, maybe encrypted); the decoded bytes are
        // again a header. Real archives nest this once.
        for (int round = 0;; ++round) {
            HeaderReader r(header.data(), header.size());
            const std::uint8_t id = r.byte();
            if (id == kHeader) {
                mainHeader(r, parser, a);
                return;
            }
            if (id != kEncodedHeader || round >= 4) corrupt("unknown header type");
            StreamsInfo si = parser.streamsInfo(r);
            if (si.folders.empty()) corrupt("encoded header without data");
            header = decodeHeader(file, si.folders[0], si.packStreams, a.password_);
        }
    }

private:
    static std::size_t readFully(InputFile& file, std::uint64_t offset, std::uint8_t* dst, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            const std::size_t n = file.readAt(offset + done, dst + done, size - done);
            if (n == 0) break;
            done += n;
        }
        return done;
    }

    static std::vector<std::uint8_t> decodeHeader(InputFile& file, const Folder& folder, const std::vector<PackStream>& packs,
                                                  const PasswordProvider& password) {
        if (folder.unpackSize() > kMaxHeaderSize) corrupt("header too large");
        auto source = openFolderStream(file, folder, packs, password);
        std::vector<std::uint8_t> out;
        // Grown as data arrives, so a lying size costs nothing before the data is there.
        std::uint8_t chunk[64 * 1024];
        for (;;) {
            const std::size_t n = source->read(chunk, sizeof chunk);
            if (n == 0) break;
            out.insert(out.end(), chunk, chunk + n);
        }
        if (out.empty()) corrupt("empty encoded header");
        return out;
    }

    static void mainHeader(HeaderReader& r, HeaderParserImpl& parser, SevenZipArchive& a) {
        std::uint8_t id = r.byte();
        if (id == kArchiveProperties) {
            while (r.number() != 0) skipProperty(r);
            id = r.byte();
        }
        if (id == kAdditionalStreamsInfo) {
            parser.streamsInfo(r);  // not used by any archive we read
            id = r.byte();
        }
        StreamsInfo si;
        if (id == kMainStreamsInfo) {
            si = parser.streamsInfo(r);
            id = r.byte();
        }
        if (id == kFilesInfo) {
            a.entries_ = parser.filesInfo(r, si);
            id = r.byte();
        } else if (!si.substreams.empty()) {
            corrupt("streams without files");
        }
        if (id != kEnd) corrupt("unexpected property in header");
        a.folders_ = std::move(si.folders);
        a.packStreams_ = std::move(si.packStreams);
    }
};

SevenZipArchive::SevenZipArchive(std::unique_ptr<InputFile> file, PasswordProvider password)
    : file_(std::move(file)), password_(std::move(password)) {
    HeaderParser::parse(*this);
}

SevenZipArchive::~SevenZipArchive() = default;

std::uint64_t SevenZipArchive::packedSize(std::uint32_t folder) const {
    const Folder& f = folders_.at(folder);
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < f.packedStreams.size(); ++i) total += packStreams_.at(f.firstPackStream + i).size;
    return total;
}

std::unique_ptr<ByteSource> SevenZipArchive::openFolder(std::uint32_t folder) {
    return openFolderStream(*file_, folders_.at(folder), packStreams_, password_);
}

}  // namespace qs::archive
