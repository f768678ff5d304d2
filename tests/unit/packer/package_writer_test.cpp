// Writing package folders: contents, refusal of unusable inputs, nothing left behind on failure.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <sstream>
#include <string>

#include "bootstrap/global_lists.h"
#include "bootstrap/pe_appended.h"
#include "packer/pack_error.h"
#include "packer/package_description.h"
#include "packer/package_writer.h"

using namespace qs::pack;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAll(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// A minimal PE image: headers and two sections ending at 0x600.
std::string fakeImage(std::uint16_t optionalHeaderSize = 224) {
    std::string b(0x600, '\0');
    auto put16 = [&](size_t at, unsigned v) { b[at] = char(v & 0xFF), b[at + 1] = char(v >> 8); };
    auto put32 = [&](size_t at, unsigned v) { put16(at, v & 0xFFFF), put16(at + 2, v >> 16); };
    b[0] = 'M', b[1] = 'Z';
    put32(60, 0x80);
    b[0x80] = 'P', b[0x81] = 'E';
    put16(0x84, 0x14C);
    put16(0x86, 2);
    put16(0x94, optionalHeaderSize);
    const size_t table = 0x80 + 4 + 20 + 224;
    put32(table + 16, 0x200), put32(table + 20, 0x200);
    put32(table + 40 + 16, 0x200), put32(table + 40 + 20, 0x400);
    return b;
}

std::optional<std::string> appendedData(const fs::path& file) {
    std::string bytes = readAll(file);
    auto layout = qs::readPeLayout(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    if (!layout) return std::nullopt;
    return bytes.substr(layout->appendedOffset);
}

// A project folder with everything a package needs.
class PackageWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(QS_TEST_SCRATCH_DIR) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        writeAll(dir / "src/engine.exe", fakeImage());
        writeAll(dir / "src/yib.lib", fakeImage());
        writeAll(dir / "src/setup.qss", "Set Variable(\"A\", \"$\")\n// Comment(\"off\")\n");
        writeAll(dir / "src/support/readme.txt", "read me\r\n");
        writeAll(dir / "src/support/pages/one.dfm", "object Form\r\n");
        writeAll(dir / "src/demo.msi", "not really a database");
        writeAll(dir / "src/splash.bmp", "BM");
        writeAll(dir / "src/data/OFFLINE/file.bin", "data");
        writeAll(dir / "src/lang.loc", "language file");
        writeAll(dir / "src/package.ini",
                 "[package]\nname = install\nscript = setup.qss\nsupport = support\nmsi = demo.msi\nbmp = splash.bmp\n"
                 "data = data\nengine = engine.exe\narchive-library = yib.lib\nlanguage-file = lang.loc\n"
                 "[product]\ncode = {6F1C2A8E-4B7D-4E3A-9C21-5A0D3E7B9F11}\n"
                 "package-code = {A4E1D7C2-9B3F-4A68-8E05-1C7F2B6D9E40}\ntitle = Demo\n");
        options.output = dir / "out/pkg";
    }

    PackResult pack() { return writePackage(loadDescription(dir / "src/package.ini"), options); }

    // Only the finished package may be left in the output's parent folder.
    std::vector<std::string> outputFolderEntries() const {
        std::vector<std::string> names;
        if (fs::exists(dir / "out"))
            for (const auto& e : fs::directory_iterator(dir / "out")) names.push_back(e.path().filename().string());
        return names;
    }

    fs::path dir;
    PackOptions options;
};

}  // namespace

TEST_F(PackageWriterTest, WritesACompletePackage) {
    PackResult r = pack();
    const fs::path out = dir / "out/pkg";
    EXPECT_EQ(r.scriptLines, 2u);

    // The engine keeps its image and carries the lists after its last section.
    const std::string exe = readAll(out / "install.exe");
    EXPECT_EQ(exe.substr(0, 0x600), fakeImage());
    auto lists = appendedData(out / "install.exe");
    ASSERT_TRUE(lists);
    EXPECT_EQ(*lists, r.globalLists);
    qs::GlobalLists g = qs::readGlobalLists(*lists);
    EXPECT_EQ(g.commandList, (std::vector<std::string>{"Set Variable", "Comment"}));
    EXPECT_EQ(g.disabledList, (std::vector<std::string>{"", "C"}));
    EXPECT_EQ(g.parameterList.at(2), "$");
    EXPECT_EQ(g.sourcePositions, (std::vector<std::string>{"setup.qss*0", "setup.qss*1"}));
    EXPECT_EQ(g.productTitle, "Demo");

    EXPECT_EQ(appendedData(out / "yib.lib"), "language file");
    EXPECT_EQ(readAll(out / "install.msi"), "not really a database");
    EXPECT_EQ(readAll(out / "setup.bmp"), "BM");
    EXPECT_EQ(readAll(out / "data/OFFLINE/file.bin"), "data");
    EXPECT_FALSE(fs::exists(out / "install.msp"));

    // The archive holds the support folder's files relative to it.
    const std::string listing = dir.string() + "/listing.txt";
    const std::string command = "7zz l -slt -ba '" + (out / "install.res").string() + "' > '" + listing + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string names = readAll(listing);
    EXPECT_NE(names.find("Path = readme.txt\n"), std::string::npos) << names;
    EXPECT_NE(names.find("Path = pages/one.dfm\n"), std::string::npos) << names;

    EXPECT_EQ(outputFolderEntries(), std::vector<std::string>{"pkg"});
}

TEST_F(PackageWriterTest, WithoutSupportFolderTheArchiveIsEmpty) {
    std::string ini = readAll(dir / "src/package.ini");
    ini.replace(ini.find("support = support\n"), 18, "");
    writeAll(dir / "src/package.ini", ini);
    pack();
    EXPECT_TRUE(fs::is_regular_file(dir / "out/pkg/install.res"));
    EXPECT_EQ(outputFolderEntries(), std::vector<std::string>{"pkg"});
}

TEST_F(PackageWriterTest, UnusableInputsLeaveNothingBehind) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&, PackOptions&)> spoil;
        const char* message;
    };
    const Case cases[] = {
        {"script fault", [](const fs::path& d, PackOptions&) { writeAll(d / "src/setup.qss", "A()\nB(\"x\n"); }, "setup.qss:2:"},
        {"engine already packed",
         [](const fs::path& d, PackOptions&) { writeAll(d / "src/engine.exe", fakeImage() + "old lists"); }, "9 bytes after its last section"},
        {"engine is a 64-bit image", [](const fs::path& d, PackOptions&) { writeAll(d / "src/engine.exe", fakeImage(240)); },
         "240-byte optional header"},
        {"engine cut off", [](const fs::path& d, PackOptions&) { writeAll(d / "src/engine.exe", fakeImage().substr(0, 0x500)); }, "cut off"},
        {"engine is not a PE image", [](const fs::path& d, PackOptions&) { writeAll(d / "src/engine.exe", "#!/bin/sh\n"); }, "not a PE image"},
        {"yib.lib missing", [](const fs::path& d, PackOptions&) { fs::remove(d / "src/yib.lib"); }, "the archive library not found"},
        {"msi missing", [](const fs::path& d, PackOptions&) { fs::remove(d / "src/demo.msi"); }, "(msi) not found"},
        {"support folder missing", [](const fs::path& d, PackOptions&) { fs::remove_all(d / "src/support"); }, "support folder not found"},
        {"7-Zip fails", [](const fs::path&, PackOptions& o) { o.sevenZip = "false"; }, "'false' failed to pack"},
        {"7-Zip missing", [](const fs::path&, PackOptions& o) { o.sevenZip = "no-such-7zz"; }, "cannot run 'no-such-7zz'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        options = PackOptions{};
        options.output = dir / "out/pkg";
        c.spoil(dir, options);
        try {
            pack();
            ADD_FAILURE() << "accepted";
        } catch (const PackError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_TRUE(outputFolderEntries().empty());
    }
}

TEST_F(PackageWriterTest, AnExistingPackageIsReplacedOnlyWhenAskedAndOnlyByAWholeOne) {
    writeAll(dir / "out/pkg/old.txt", "old");
    EXPECT_THROW(pack(), PackError);
    EXPECT_TRUE(fs::exists(dir / "out/pkg/old.txt"));

    options.replace = true;
    writeAll(dir / "src/setup.qss", "Bad(\n");
    EXPECT_THROW(pack(), PackError);
    EXPECT_TRUE(fs::exists(dir / "out/pkg/old.txt"));  // a failed run keeps the old package

    writeAll(dir / "src/setup.qss", "Good()\n");
    pack();
    EXPECT_FALSE(fs::exists(dir / "out/pkg/old.txt"));
    EXPECT_TRUE(fs::exists(dir / "out/pkg/install.exe"));
    EXPECT_EQ(outputFolderEntries(), std::vector<std::string>{"pkg"});
}

TEST_F(PackageWriterTest, CommandLineExitsNonZeroWithFileAndLine) {
    writeAll(dir / "src/setup.qss", "A()\n\nSet Variable\n");
    const std::string log = (dir / "stderr.txt").string();
    const std::string command = std::string("'") + QS_TEST_QUILLPACK + "' '" + (dir / "src/package.ini").string() +
                                "' -o '" + options.output.string() + "' 2> '" + log + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = readAll(log);
    EXPECT_NE(err.find("setup.qss:3: missing parameter block"), std::string::npos) << err;
    EXPECT_TRUE(outputFolderEntries().empty());
}

// The engine the win32 build produced must satisfy the appended-data rule.
TEST(BuiltEngine, EndsAtItsLastSectionAndTakesAppendedLists) {
    const fs::path engine = fs::path(QS_TEST_WIN32_BUILD_DIR) / "bin/setup.exe";
    if (std::string(QS_TEST_WIN32_BUILD_DIR).empty() || !fs::exists(engine)) GTEST_SKIP() << "no win32 build at " << engine;
    const std::string image = readStrippedImage(engine, "the engine");
    const std::string lists = "X\r\n$\r\n";
    const fs::path packed = fs::path(QS_TEST_SCRATCH_DIR) / "packed-engine.exe";
    writeAll(packed, image + lists);
    EXPECT_EQ(appendedData(packed), lists);
}
