// The demo package built by quillpack starts under Wine and reads the lists appended to it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "test_packages.h"
#include "wine_runner.h"

using namespace qs::test;
namespace fs = std::filesystem;


TEST(PackerDemo, PackedEngineFindsAndReadsItsScript) {
    const fs::path engine = fs::path(win32BuildDir()) / "bin/setup.exe";
    const fs::path yib = fs::path(win32BuildDir()) / "bin/yib.lib";
    const fs::path quillpack = fs::path(nativeBuildDir()) / "bin/quillpack";
    ASSERT_TRUE(fs::exists(engine)) << engine;
    ASSERT_TRUE(fs::exists(quillpack)) << quillpack;
    if (!fs::exists(yib)) GTEST_SKIP() << "yib.lib not built at " << yib;

    const fs::path work = makeScratchDir("packer_demo");
    const fs::path demo = fs::path(sourceDir()) / "examples/demo";
    // The demo's description expects its database in build/examples/msi; build one here instead.
    const std::string wixl = "cd '" + (demo / "msi").string() + "' && wixl -o '" + (work / "demo.msi").string() +
                             "' demo.wxs";
    ASSERT_EQ(std::system(wixl.c_str()), 0);
    std::string ini = readBinaryFile((demo / "package.ini").string());
    const std::string msiLine = "msi = ../../build/examples/msi/demo.msi";
    ASSERT_NE(ini.find(msiLine), std::string::npos);
    ini.replace(ini.find(msiLine), msiLine.size(), "msi = " + (work / "demo.msi").string());
    ini.replace(ini.find("script = setup.qss"), 18, "script = " + (demo / "setup.qss").string());
    ini.replace(ini.find("support = support"), 17, "support = " + (demo / "support").string());
    std::ofstream(work / "package.ini") << ini;

    const fs::path package = work / "package";
    const std::string pack = "'" + quillpack.string() + "' '" + (work / "package.ini").string() + "' -o '" +
                             package.string() + "' --engine '" + engine.string() + "' --archive-library '" +
                             yib.string() + "'";
    ASSERT_EQ(std::system(pack.c_str()), 0);

    const fs::path trace = fs::path(prefixDriveC()) / "qs-packer-demo.log";
    fs::remove(trace);
    WineRun run = runUnderWine((package / "setup.exe").string(), {"/s", "/l=C:\\qs-packer-demo.log"}, 120);
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::string log = readUtf16File(trace.string());
    EXPECT_NE(log.find("    </StubSize>"), std::string::npos) << log;
    EXPECT_NE(log.find("    </GlobalLists>"), std::string::npos) << log;
    EXPECT_NE(log.find("    </ExtractArchive>"), std::string::npos) << log;
    EXPECT_NE(log.find("</Quillset>"), std::string::npos) << log;
}
