// The built engine as a whole, run under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "wine_runner.h"

using namespace qs::test;

namespace {

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}
std::uint16_t le16(const std::vector<std::uint8_t>& b, size_t at) { return b.at(at) | b.at(at + 1) << 8; }

std::string engineExe() { return win32BuildDir() + "/bin/setup.exe"; }

}  // namespace

// Anything after the last section would be taken for appended script data, so the engine must
// be a stripped 32-bit GUI image that ends with its last section.
TEST(EngineImage, IsAStripped32BitGuiImageEndingAtItsLastSection) {
    std::vector<std::uint8_t> img = readFile(engineExe());
    ASSERT_GT(img.size(), 1024u);
    ASSERT_EQ(img[0], 'M');
    ASSERT_EQ(img[1], 'Z');
    const size_t pe = le32(img, 60);
    ASSERT_EQ(le32(img, pe), 0x00004550u);  // "PE\0\0"
    const size_t fileHeader = pe + 4;
    EXPECT_EQ(le16(img, fileHeader), 0x014Cu);   // i386
    EXPECT_EQ(le32(img, fileHeader + 8), 0u);    // no COFF symbol table
    const unsigned sections = le16(img, fileHeader + 2);
    const unsigned optSize = le16(img, fileHeader + 16);
    const size_t opt = fileHeader + 20;
    EXPECT_EQ(le16(img, opt), 0x10Bu);            // PE32
    EXPECT_EQ(le16(img, opt + 68), 2u);           // Windows GUI subsystem
    size_t end = 0;
    for (unsigned i = 0; i < sections; ++i) {
        size_t sec = opt + optSize + 40 * i;
        end = std::max<size_t>(end, le32(img, sec + 20) + le32(img, sec + 16));
    }
    EXPECT_EQ(end, img.size());
}

TEST(EngineStart, RunsUnderWineAndExits) {
    ASSERT_TRUE(std::filesystem::exists(engineExe())) << engineExe();
    WineRun run = runUnderWine(engineExe(), {}, 60);
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
}
