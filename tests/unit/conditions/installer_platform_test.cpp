// The installer platform, "Set 64 Bit Mode", the registry view rule and the redirection
// switch over a recording stand-in for the system.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "installer/installer_platform.h"

using namespace qs;
using namespace qs::installer;
using qs::test::EngineFixture;
using platform::RegistryView;

namespace {

// Records every call; disable hands out increasing values so a test can see which one is
// given back.
class RecordingRedirection final : public FsRedirectionApi {
public:
    std::vector<std::string> calls;
    bool available = true;
    std::uintptr_t next = 100;
    std::mutex lock;

    bool disable(void*& previous) override {
        std::lock_guard<std::mutex> g(lock);
        calls.push_back("disable");
        if (!available) return false;
        previous = reinterpret_cast<void*>(next++);
        return true;
    }
    void revert(void* previous) override {
        std::lock_guard<std::mutex> g(lock);
        calls.push_back("revert " + std::to_string(reinterpret_cast<std::uintptr_t>(previous)));
    }
};

struct PlatformFixture : EngineFixture {
    RecordingRedirection os;
    PlatformFixture() { engine.installerPlatform.redirection.attach(&os); }
    void choose(InstallerPlatform p, bool wow64) {
        engine.installerPlatform.platform = p;
        system.wow64 = wow64;
    }
};

TEST(InstallerPlatform, TextsRoundTrip) {
    for (InstallerPlatform p : {InstallerPlatform::Win32, InstallerPlatform::Ia64, InstallerPlatform::X64})
        EXPECT_EQ(platformFromText(platformText(p)), p);
    EXPECT_EQ(platformText(InstallerPlatform::X64), "x64");
    EXPECT_EQ(platformText(InstallerPlatform::Ia64), "ia64");
    EXPECT_EQ(platformText(InstallerPlatform::Win32), "Win32");
    EXPECT_EQ(platformFromText("X64"), std::nullopt);
    EXPECT_EQ(platformFromText(""), std::nullopt);
}

TEST(InstallerPlatform, RunStartsOnWin32) {
    EngineFixture f;
    EXPECT_EQ(f.engine.installerPlatform.platform, InstallerPlatform::Win32);
}

TEST(InstallerPlatform, Set64BitModeLastExactTrueWins) {
    struct Case {
        InstallerPlatform before;
        const char* p1;
        const char* p2;
        const char* p3;
        InstallerPlatform after;
    };
    const Case cases[] = {
        {InstallerPlatform::Win32, "FALSE", "TRUE", "TRUE", InstallerPlatform::X64},
        {InstallerPlatform::Win32, "FALSE", "TRUE", "FALSE", InstallerPlatform::Ia64},
        {InstallerPlatform::X64, "TRUE", "FALSE", "FALSE", InstallerPlatform::Win32},
        {InstallerPlatform::X64, "true", "", "", InstallerPlatform::X64},
        {InstallerPlatform::Ia64, "", "", "", InstallerPlatform::Ia64},
        {InstallerPlatform::Win32, "-1", "1", " TRUE", InstallerPlatform::Win32},
        {InstallerPlatform::Ia64, "TRUE", "", "", InstallerPlatform::Win32},
    };
    for (const Case& c : cases) {
        EngineFixture f;
        f.engine.installerPlatform.platform = c.before;
        f.load({{"Set 64 Bit Mode", {c.p1, c.p2, c.p3}}});
        set64BitModeCommand(f.engine, 0);
        EXPECT_EQ(f.engine.installerPlatform.platform, c.after) << c.p1 << "," << c.p2 << "," << c.p3;
    }
}

TEST(InstallerPlatform, RegistryViewFollowsPlatformOnlyOn64BitWindows) {
    struct Case {
        bool wow64;
        InstallerPlatform platform;
        RegistryView view;
        RegistryView resting;
    };
    const Case cases[] = {
        {true, InstallerPlatform::Win32, RegistryView::Wow64_32, RegistryView::Wow64_32},
        {true, InstallerPlatform::X64, RegistryView::Wow64_64, RegistryView::Wow64_32},
        {true, InstallerPlatform::Ia64, RegistryView::Wow64_64, RegistryView::Wow64_32},
        {false, InstallerPlatform::Win32, RegistryView::Default, RegistryView::Default},
        {false, InstallerPlatform::X64, RegistryView::Default, RegistryView::Default},
    };
    for (const Case& c : cases) {
        PlatformFixture f;
        f.choose(c.platform, c.wow64);
        EXPECT_EQ(registryView(f.engine), c.view) << c.wow64 << " " << platformText(c.platform);
        EXPECT_EQ(restingRegistryView(f.engine), c.resting) << c.wow64;
    }
}

TEST(Redirection, NeverCallsTheSystemOn32BitWindowsOrForWin32) {
    const std::pair<bool, InstallerPlatform> idle[] = {
        {false, InstallerPlatform::X64}, {false, InstallerPlatform::Ia64}, {false, InstallerPlatform::Win32},
        {true, InstallerPlatform::Win32}};
    for (const auto& [wow64, p] : idle) {
        PlatformFixture f;
        f.choose(p, wow64);
        EXPECT_FALSE(redirectionOff(f.engine));
        EXPECT_FALSE(f.engine.installerPlatform.redirection.isOff());
        redirectionOn(f.engine);
        { RedirectionScope scope(f.engine); }
        EXPECT_TRUE(f.os.calls.empty()) << wow64 << " " << platformText(p);
    }
}

TEST(Redirection, NestedOffOffOnRestoresOnce) {
    PlatformFixture f;
    f.choose(InstallerPlatform::X64, true);
    EXPECT_TRUE(redirectionOff(f.engine));
    EXPECT_FALSE(redirectionOff(f.engine)) << "already off: nothing to do";
    EXPECT_TRUE(f.engine.installerPlatform.redirection.isOff());
    redirectionOn(f.engine);
    EXPECT_FALSE(f.engine.installerPlatform.redirection.isOff());
    redirectionOn(f.engine);  // nothing left to restore
    EXPECT_EQ(f.os.calls, (std::vector<std::string>{"disable", "revert 100"}));

    // A second round hands back the value of its own off.
    EXPECT_TRUE(redirectionOff(f.engine));
    redirectionOn(f.engine);
    EXPECT_EQ(f.os.calls.back(), "revert 101");
}

TEST(Redirection, RestoresEvenAfterThePlatformWentBackToWin32) {
    PlatformFixture f;
    f.choose(InstallerPlatform::Ia64, true);
    ASSERT_TRUE(redirectionOff(f.engine));
    f.engine.installerPlatform.platform = InstallerPlatform::Win32;
    redirectionOn(f.engine);
    EXPECT_EQ(f.os.calls, (std::vector<std::string>{"disable", "revert 100"}));
}

TEST(Redirection, MissingOrRefusingSystemCallLeavesTheMarkClear) {
    PlatformFixture f;
    f.choose(InstallerPlatform::X64, true);
    f.os.available = false;
    EXPECT_FALSE(redirectionOff(f.engine));
    EXPECT_FALSE(f.engine.installerPlatform.redirection.isOff());
    redirectionOn(f.engine);
    EXPECT_EQ(f.os.calls, (std::vector<std::string>{"disable"})) << "nothing switched, nothing to revert";

    EngineFixture unattached;  // no system side at all
    unattached.engine.installerPlatform.platform = InstallerPlatform::X64;
    EXPECT_FALSE(redirectionOff(unattached.engine));
}

TEST(Redirection, ScopesRestoreOnlyWhatTheySwitched) {
    PlatformFixture f;
    f.choose(InstallerPlatform::X64, true);
    {
        RedirectionScope outer(f.engine);
        {
            RedirectionScope inner(f.engine);
            EXPECT_TRUE(f.engine.installerPlatform.redirection.isOff());
        }
        EXPECT_TRUE(f.engine.installerPlatform.redirection.isOff()) << "the inner scope must not restore";
    }
    EXPECT_FALSE(f.engine.installerPlatform.redirection.isOff());
    EXPECT_EQ(f.os.calls, (std::vector<std::string>{"disable", "revert 100"}));
}

// The system keeps redirection per thread: a worker's off is its own, even while the main
// thread has switched off.
TEST(Redirection, EachThreadSwitchesItsOwnRedirection) {
    PlatformFixture f;
    f.choose(InstallerPlatform::X64, true);
    ASSERT_TRUE(redirectionOff(f.engine));
    bool workerSwitched = false;
    bool workerSawOff = true;
    std::thread worker([&] {
        workerSawOff = f.engine.installerPlatform.redirection.isOff();
        workerSwitched = redirectionOff(f.engine);
        redirectionOn(f.engine);
    });
    worker.join();
    EXPECT_FALSE(workerSawOff);
    EXPECT_TRUE(workerSwitched);
    EXPECT_TRUE(f.engine.installerPlatform.redirection.isOff()) << "the worker's on must not touch the main thread";
    redirectionOn(f.engine);
    EXPECT_EQ(f.os.calls, (std::vector<std::string>{"disable", "disable", "revert 101", "revert 100"}));
}

}  // namespace
