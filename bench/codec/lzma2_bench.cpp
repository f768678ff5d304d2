// LZMA2 decoding speed: our decoder against liblzma on the same stream, single thread.
#include <lzma.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "archive/byte_source.h"
#include "archive/codec/crc32.h"
#include "archive/codec/decoder_factory.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A mix resembling a setup payload: prose-like text, machine-code-like bytes, and noise.
Bytes generatedCorpus(std::size_t size) {
    static const char* kWords[] = {"the ", "setup ", "engine ", "reads ", "archive ", "folder ", "file ", "and ",
                                   "writes ", "a ", "program ", "files, ", "into ", "target\n", "Windows ",
                                   "install ", "of ", "to ", "registry ", "key. ", "<component id=\"", "\"/>\n"};
    std::mt19937 rng(1);
    std::geometric_distribution<int> pick(0.15);
    Bytes out;
    out.reserve(size + 64);
    while (out.size() < size) {
        unsigned kind = rng() % 10;
        if (kind < 4 && out.size() > (1u << 20)) {
            // Near-repeats of earlier content, as in versions of the same file.
            std::size_t len = 2048 + rng() % 32768, from = rng() % (out.size() - len);
            for (std::size_t i = 0; i < len && out.size() < size; ++i)
                out.push_back(rng() % 97 ? out[from + i] : std::uint8_t(rng()));
            continue;
        }
        std::size_t block = 4096 + rng() % 65536;
        for (std::size_t n = 0; n < block && out.size() < size;) {
            if (kind < 6) {
                const char* w = kWords[pick(rng) % 22];
                std::size_t len = std::strlen(w);
                out.insert(out.end(), w, w + len);
                n += len;
            } else if (kind < 9) {
                static const std::uint8_t kOps[] = {0xE8, 0x8B, 0x89, 0x00, 0xFF, 0x45, 0x24, 0x0F, 0x83, 0xC3};
                out.push_back(rng() % 3 ? kOps[pick(rng) % 10] : std::uint8_t(rng()));
                ++n;
            } else {
                out.push_back(std::uint8_t(rng()));
                ++n;
            }
        }
    }
    out.resize(size);
    return out;
}

Bytes encodeLzma2(const Bytes& data, lzma_options_lzma& opt) {
    lzma_filter f[] = {{LZMA_FILTER_LZMA2, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    Bytes out(data.size() + data.size() / 8 + 4096);
    std::size_t pos = 0;
    if (lzma_raw_buffer_encode(f, nullptr, data.data(), data.size(), out.data(), &pos, out.size()) != LZMA_OK) {
        std::fprintf(stderr, "liblzma encode failed\n");
        std::exit(2);
    }
    out.resize(pos);
    return out;
}

std::uint8_t dictProp(std::uint32_t dictSize) {
    for (std::uint8_t p = 0; p < 40; ++p)
        if (((2u | (p & 1u)) << (p / 2 + 11)) >= dictSize) return p;
    return 40;
}

// Both decoders stream into the same reused 1 MiB buffer; returns the CRC of the output.
std::uint32_t decodeOurs(const Bytes& packed, std::uint8_t prop, std::uint64_t size, Bytes& buf) {
    auto dec = qs::archive::makeDecoder(qs::archive::method::kLzma2, {prop},
                                        std::make_unique<qs::archive::MemorySource>(packed.data(), packed.size()), size,
                                        {});
    std::uint32_t crc = 0;
    std::uint64_t total = 0;
    for (std::size_t n; (n = dec->read(buf.data(), buf.size())) != 0; total += n) crc = qs::archive::crc32(buf.data(), n, crc);
    if (total != size) std::exit(3);
    return crc;
}

std::uint32_t decodeLiblzma(const Bytes& packed, lzma_options_lzma& opt, Bytes& buf) {
    lzma_filter f[] = {{LZMA_FILTER_LZMA2, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&s, f) != LZMA_OK) std::exit(4);
    s.next_in = packed.data();
    s.avail_in = packed.size();
    std::uint32_t crc = 0;
    for (;;) {
        s.next_out = buf.data();
        s.avail_out = buf.size();
        lzma_ret r = lzma_code(&s, LZMA_RUN);
        crc = qs::archive::crc32(buf.data(), buf.size() - s.avail_out, crc);
        if (r == LZMA_STREAM_END) break;
        if (r != LZMA_OK) std::exit(5);
    }
    lzma_end(&s);
    return crc;
}

// Processor time of this process (single-threaded work), so that other load on a shared
// machine disturbs the numbers less than wall time would.
template <class F>
double bestSeconds(int runs, F&& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        std::clock_t t0 = std::clock();
        f();
        best = std::min(best, double(std::clock() - t0) / CLOCKS_PER_SEC);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    bool smoke = argc > 1 && std::string(argv[1]) == "--smoke";
    if (argc > 2 && std::string(argv[1]) == "--write-corpus") {
        // For comparing with other tools on the same bytes.
        Bytes corpus = generatedCorpus(24u << 20);
        std::ofstream(argv[2], std::ios::binary).write(reinterpret_cast<const char*>(corpus.data()), std::streamsize(corpus.size()));
        return 0;
    }
    Bytes data;
    std::string name = "generated mix";
    if (argc > 1 && !smoke) {
        std::ifstream in(argv[1], std::ios::binary);
        data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        name = argv[1];
    } else {
        data = generatedCorpus(smoke ? 300 * 1024 : 24u << 20);
    }
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 6);
    Bytes packed = encodeLzma2(data, opt);
    Bytes buf(1 << 20);
    std::uint32_t want = qs::archive::crc32(data.data(), data.size());
    std::uint8_t prop = dictProp(opt.dict_size);
    if (decodeOurs(packed, prop, data.size(), buf) != want || decodeLiblzma(packed, opt, buf) != want) {
        std::fprintf(stderr, "decoded data differs from the input\n");
        return 1;
    }
    int runs = smoke ? 1 : 5;
    double ours = bestSeconds(runs, [&] { decodeOurs(packed, prop, data.size(), buf); });
    double ref = bestSeconds(runs, [&] { decodeLiblzma(packed, opt, buf); });
    double mb = double(data.size()) / 1e6;
    std::printf("LZMA2 decode, %s: %.1f MB -> %.1f MB packed (preset 6), best of %d (CPU time)\n", name.c_str(), mb,
                double(packed.size()) / 1e6, runs);
    std::printf("  ours     %8.1f MB/s\n  liblzma  %8.1f MB/s\n  ratio ours/liblzma %.2f\n", mb / ours, mb / ref,
                ref / ours);
    return 0;
}
