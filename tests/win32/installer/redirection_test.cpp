// The redirection switch against the real system (run under Wine in a 64-bit prefix, where
// this 32-bit program runs as WOW64). C:\windows\system32 holds 64-bit DLLs; a 32-bit program
// with redirection on is shown syswow64's 32-bit ones instead, so the machine field of
// kernel32.dll's header tells which folder the program sees.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "engine/engine.h"
#include "installer/installer_platform.h"
#include "installer/win32/fs_redirection_win32.h"
#include "platform/win32/win32_platform.h"

using namespace qs;
using namespace qs::installer;

namespace {

constexpr const char* kSystemKernel32 = "C:\\windows\\system32\\kernel32.dll";

// The machine field of a PE file's header, or 0 when it cannot be read.
WORD machineOf(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    unsigned char head[4096] = {};
    DWORD got = 0;
    const BOOL ok = ReadFile(file, head, sizeof head, &got, nullptr);
    CloseHandle(file);
    if (!ok || got < 0x40) return 0;
    const DWORD peAt = *reinterpret_cast<const DWORD*>(head + 0x3C);
    if (peAt + 6 > got || memcmp(head + peAt, "PE\0\0", 4) != 0) return 0;
    return *reinterpret_cast<const WORD*>(head + peAt + 4);
}

class RedirectionTest : public ::testing::Test {
protected:
    Engine engine{platform::win32Platform()};
    void SetUp() override {
        ASSERT_TRUE(engine.platform.system.isWow64()) << "the test prefix must be 64-bit";
        engine.installerPlatform.redirection.attach(&win32FsRedirection());
    }
    void TearDown() override { redirectionOn(engine); }
};

TEST_F(RedirectionTest, X64PlatformSeesThe64BitSystemFolderWhileOff) {
    EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_I386) << "redirected by default";
    engine.installerPlatform.platform = InstallerPlatform::X64;

    ASSERT_TRUE(redirectionOff(engine));
    EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_AMD64);
    EXPECT_FALSE(redirectionOff(engine)) << "nested off does nothing";
    EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_AMD64);

    redirectionOn(engine);  // one on restores
    EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_I386);
    redirectionOn(engine);  // and a further one changes nothing
    EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_I386);
}

TEST_F(RedirectionTest, Win32PlatformSwitchesNothing) {
    engine.installerPlatform.platform = InstallerPlatform::Win32;
    EXPECT_FALSE(redirectionOff(engine));
    EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_I386);
    {
        RedirectionScope scope(engine);
        EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_I386);
    }
}

TEST_F(RedirectionTest, ScopeRestoresAtItsEnd) {
    engine.installerPlatform.platform = InstallerPlatform::Ia64;
    {
        RedirectionScope scope(engine);
        EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_AMD64);
    }
    EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_I386);
}

// The system keeps redirection per thread: a worker is not switched by the main thread's off,
// and switches its own.
TEST_F(RedirectionTest, WorkerThreadSwitchesItsOwn) {
    engine.installerPlatform.platform = InstallerPlatform::X64;
    ASSERT_TRUE(redirectionOff(engine));
    WORD before = 0, during = 0, after = 0;
    std::thread worker([&] {
        before = machineOf(kSystemKernel32);
        RedirectionScope scope(engine);
        during = machineOf(kSystemKernel32);
    });
    worker.join();
    std::thread later([&] { after = machineOf(kSystemKernel32); });
    later.join();
    EXPECT_EQ(before, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(during, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(after, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(machineOf(kSystemKernel32), IMAGE_FILE_MACHINE_AMD64) << "the main thread is still off";
}

TEST_F(RedirectionTest, RegistryViewOfTheCurrentModeReachesThe64BitRegistry) {
    platform::Registry& reg = engine.platform.registry;
    const std::string key = "Software\\QuillsetTests\\InstallerView";
    reg.deleteTree(platform::RegistryRoot::LocalMachine, key, platform::RegistryView::Wow64_64);
    reg.deleteTree(platform::RegistryRoot::LocalMachine, key, platform::RegistryView::Wow64_32);

    engine.installerPlatform.platform = InstallerPlatform::X64;
    ASSERT_TRUE(reg.writeString(platform::RegistryRoot::LocalMachine, key, "Bits", "64", registryView(engine)));
    engine.installerPlatform.platform = InstallerPlatform::Win32;
    ASSERT_TRUE(reg.writeString(platform::RegistryRoot::LocalMachine, key, "Bits", "32", registryView(engine)));

    EXPECT_EQ(reg.readString(platform::RegistryRoot::LocalMachine, key, "Bits", platform::RegistryView::Wow64_64), "64");
    EXPECT_EQ(reg.readString(platform::RegistryRoot::LocalMachine, key, "Bits", restingRegistryView(engine)), "32");
    reg.deleteTree(platform::RegistryRoot::LocalMachine, key, platform::RegistryView::Wow64_64);
    reg.deleteTree(platform::RegistryRoot::LocalMachine, key, platform::RegistryView::Wow64_32);
}

}  // namespace
