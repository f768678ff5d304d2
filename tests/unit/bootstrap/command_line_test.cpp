#include <gtest/gtest.h>

#include "bootstrap/command_line.h"

using namespace qs::bootstrap;

TEST(CommandLineTail, TableOfRawCommandLines) {
    struct Case {
        const char* raw;
        const char* tail;
    } cases[] = {
        {"\"C:\\x\\setup.exe\" /s A=1", "/s A=1"},
        {"\"C:\\x\\setup.exe\"", ""},
        {"\"C:\\x\\setup.exe\"  two blanks", " two blanks"},
        {"C:\\x\\setup.exe /s", "/s"},
        {"setup.exe", ""},
        {"\"unterminated", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(commandLineTail(c.raw), c.tail) << c.raw;
}

TEST(CommandLineParameters, QuotesGroupAndAreRemoved) {
    EXPECT_EQ(commandLineParameters("\"C:\\a b\\setup.exe\" /s \"TARGETDIR=C:\\My App\" x\"y z\"w"),
              (std::vector<std::string>{"/s", "TARGETDIR=C:\\My App", "xy zw"}));
    EXPECT_EQ(commandLineParameters("setup.exe\t/l=a  "), (std::vector<std::string>{"/l=a"}));
    EXPECT_TRUE(commandLineParameters("\"C:\\setup.exe\"").empty());
}

TEST(CommandLineOptions, TableOfOptions) {
    struct Case {
        std::vector<std::string> params;
        bool silent, update;
        std::string policy, wrapper, log, source;
        std::vector<std::string> overrides;
    } cases[] = {
        {{"/S"}, true, false, "", "", "", "", {}},
        {{"-qn"}, true, false, "", "", "", "", {}},
        {{"/QN"}, true, false, "", "", "", "", {}},
        {{"/silent"}, false, false, "", "", "", "", {}},
        {{"s"}, false, false, "", "", "", "", {}},
        {{"/update"}, false, true, "", "", "", "", {}},
        {{"-UpdateSetup"}, false, true, "", "", "", "", {}},
        {{"/l=C:\\Logs\\Setup.txt"}, false, false, "", "", "c:\\logs\\setup.txt", "", {}},
        {{"-L=X.LOG", "/l=second"}, false, false, "", "", "x.log", "", {}},
        // x/g=abc is no option; as a NAME=VALUE parameter it is an override.
        {{"x/g=abc", "/G=Abc"}, false, false, "abc", "", "", "", {"X/G", "abc"}},
        {{"/m=C:\\Wrap.EXE", "/P=D:\\Src", "-p=ignored"}, false, false, "", "c:\\wrap.exe", "", "d:\\src", {}},
        {{"TARGETDIR=C:\\App"}, false, false, "", "", "", "", {"TARGETDIR", "C:\\App"}},
        {{"target=a=b", "/TARGET=x", "-X=1", "noequals", "Lang=German"},
         false, false, "", "", "", "", {"TARGET", "a=b", "LANG", "German"}},
        {{"=v"}, false, false, "", "", "", "", {"", "v"}},
    };
    for (const auto& c : cases) {
        CommandLineOptions o = parseCommandLineOptions(c.params);
        std::string where = c.params.empty() ? "" : c.params[0];
        EXPECT_EQ(o.silent, c.silent) << where;
        EXPECT_EQ(o.update, c.update) << where;
        EXPECT_EQ(o.policyPath, c.policy) << where;
        EXPECT_EQ(o.wrapperPath, c.wrapper) << where;
        EXPECT_EQ(o.logPath, c.log) << where;
        EXPECT_EQ(o.sourceOverride, c.source) << where;
        EXPECT_EQ(o.overrides, c.overrides) << where;
    }
}
