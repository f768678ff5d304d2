// The platform layer against the real Windows API (run under Wine in a 64-bit prefix).
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"

using namespace qs::platform;

namespace {

const char* kTestKey = "Software\\QuillsetTests\\Platform";

class RegistryTest : public ::testing::Test {
protected:
    Registry& reg = win32Platform().registry;
    void SetUp() override { ASSERT_TRUE(reg.deleteTree(RegistryRoot::CurrentUser, kTestKey)); }
    void TearDown() override { reg.deleteTree(RegistryRoot::CurrentUser, kTestKey); }
};

}  // namespace

TEST_F(RegistryTest, StringAndDwordRoundTrip) {
    EXPECT_FALSE(reg.keyExists(RegistryRoot::CurrentUser, kTestKey));
    ASSERT_TRUE(reg.writeString(RegistryRoot::CurrentUser, std::string(kTestKey) + "\\Sub", "Name", "value with blanks"));
    ASSERT_TRUE(reg.writeString(RegistryRoot::CurrentUser, kTestKey, "", "default value"));
    ASSERT_TRUE(reg.writeDword(RegistryRoot::CurrentUser, kTestKey, "Count", 0xFFFFFFFEu));
    ASSERT_TRUE(reg.writeString(RegistryRoot::CurrentUser, kTestKey, "Empty", ""));

    EXPECT_EQ(reg.readString(RegistryRoot::CurrentUser, std::string(kTestKey) + "\\Sub", "Name"), "value with blanks");
    EXPECT_EQ(reg.readString(RegistryRoot::CurrentUser, kTestKey, ""), "default value");
    EXPECT_EQ(reg.readDword(RegistryRoot::CurrentUser, kTestKey, "Count"), 0xFFFFFFFEu);
    // An empty value is present, a missing one is not.
    EXPECT_EQ(reg.readString(RegistryRoot::CurrentUser, kTestKey, "Empty"), "");
    EXPECT_EQ(reg.readString(RegistryRoot::CurrentUser, kTestKey, "Missing"), std::nullopt);
    // The wrong type is not read as the other.
    EXPECT_EQ(reg.readDword(RegistryRoot::CurrentUser, kTestKey, "Empty"), std::nullopt);
    EXPECT_EQ(reg.readString(RegistryRoot::CurrentUser, kTestKey, "Count"), std::nullopt);
}

TEST_F(RegistryTest, DeleteTreeRemovesSubkeysAndToleratesMissingKeys) {
    ASSERT_TRUE(reg.writeString(RegistryRoot::CurrentUser, std::string(kTestKey) + "\\A\\B", "x", "1"));
    ASSERT_TRUE(reg.deleteTree(RegistryRoot::CurrentUser, kTestKey));
    EXPECT_FALSE(reg.keyExists(RegistryRoot::CurrentUser, kTestKey));
    EXPECT_TRUE(reg.deleteTree(RegistryRoot::CurrentUser, kTestKey));
}

TEST(SystemInfoTest, ThirtyTwoBitProcessOnSixtyFourBitWindows) {
    // The test prefix is 64-bit, as most Windows machines are: our i686 build runs as WOW64.
    EXPECT_TRUE(win32Platform().system.isWow64());
}

TEST(SystemInfoTest, RegistryViewsAreSeparateUnderWow64) {
    Registry& reg = win32Platform().registry;
    const std::string key = "Software\\QuillsetTests\\View";
    reg.deleteTree(RegistryRoot::LocalMachine, key, RegistryView::Wow64_32);
    reg.deleteTree(RegistryRoot::LocalMachine, key, RegistryView::Wow64_64);
    ASSERT_TRUE(reg.writeString(RegistryRoot::LocalMachine, key, "Bits", "32", RegistryView::Wow64_32));
    ASSERT_TRUE(reg.writeString(RegistryRoot::LocalMachine, key, "Bits", "64", RegistryView::Wow64_64));
    EXPECT_EQ(reg.readString(RegistryRoot::LocalMachine, key, "Bits"), "32");  // a 32-bit process sees its own view
    EXPECT_EQ(reg.readString(RegistryRoot::LocalMachine, key, "Bits", RegistryView::Wow64_64), "64");
    reg.deleteTree(RegistryRoot::LocalMachine, key, RegistryView::Wow64_32);
    reg.deleteTree(RegistryRoot::LocalMachine, key, RegistryView::Wow64_64);
}

TEST(SystemInfoTest, VersionTempFolderAndExecutablePath) {
    SystemInfo& sys = win32Platform().system;
    WindowsVersion v = sys.windowsVersion();
    EXPECT_EQ(v.platformId, 2u);  // NT family
    EXPECT_GE(v.major, 5u);
    std::string temp = sys.temporaryFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    std::string exe = sys.executablePath();
    EXPECT_NE(exe.find("platform_win32_test.exe"), std::string::npos) << exe;
}

TEST(TextEncodingTest, UpperCaseUsesTheCodePage) {
    // The prefix's ANSI code page is 1252: accented letters have upper-case forms there.
    TextEncoding& enc = win32Platform().encoding;
    EXPECT_EQ(enc.upperCase("\xE4pfel 12-z"), "\xC4PFEL 12-Z");
    EXPECT_EQ(enc.upperCase(""), "");
    EXPECT_EQ(enc.upperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}
