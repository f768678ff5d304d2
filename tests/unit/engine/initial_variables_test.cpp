// The variables that exist before the first script line, and the start of a run.
#include <gtest/gtest.h>

#include <map>

#include "engine/engine.h"
#include "engine/initial_variables.h"
#include "engine/interpreter.h"
#include "engine/variables.h"
#include "fake_platform.h"
#include "script_builder.h"

using namespace qs;

namespace {

struct InitialVariables : ::testing::Test {
    test::FakePlatform fake;
    Engine engine{fake.platform};

    void SetUp() override {
        engine.windows = {6, 1, 7601, 2, "Service Pack 1"};
        engine.engineFile = "C:\\Pkg\\setup.exe";
        engine.engineFolder = "C:\\Pkg\\";
        engine.engineBaseName = "setup";
        engine.temporaryFolder = "C:\\Temp\\";
        engine.supportFolder = "C:\\Temp\\yib1\\";
        engine.commandLineTail = "/s TARGETDIR=C:\\App";
        engine.lists.productTitle = "Demo";
        engine.lists.company = "Samples";
        engine.lists.productVersion = "1.2.3";
        engine.options.logPath = "c:\\logs\\setup.txt";
        engine.options.wrapperPath = "c:\\wrap\\outer.exe";
        engine.options.policyPath = "c:\\gpo\\policy.msi";
        fake.process.ticks = 123456;
        fake.system.date = "11.12.2026";
        fake.system.time = "13:05:09";
        fake.registry.strings[test::FakeRegistry::at(platform::RegistryRoot::LocalMachine,
                                                     "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\",
                                                     "RegisteredOwner")] = "Owner NT";
        fake.registry.strings[test::FakeRegistry::at(platform::RegistryRoot::LocalMachine,
                                                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\",
                                                     "RegisteredOwner")] = "Owner 9x";
    }

    std::vector<std::string> dump() {
        std::vector<std::string> list;
        engine.variables.dump(list);
        return list;
    }
};

TEST_F(InitialVariables, AllPhasesInOrderWithTheirValues) {
    createInitialVariables(engine);
    const std::vector<std::string> list = dump();
    std::map<std::string, std::string> values;
    std::vector<std::string> order;
    for (size_t i = 0; i + 1 < list.size(); i += 2) {
        values[list[i]] = list[i + 1];
        order.push_back(list[i]);
    }
    const std::map<std::string, std::string> expected = {
        {"KYRU_thProgress", "0"}, {"KYRU_thMin", "0"}, {"KYRU_thMax", "100"}, {"KYRU_thProgressText", ""},
        {"KYRU_thFinished", "FALSE"}, {"KYRU_thCancelled", "FALSE"}, {"KYRU_IsCancelled", "FALSE"},
        {"KYRU_LastDelegateTick", "123456"}, {"KYRU_LastActiveTick", "123456"},
        {"TARGETDIR", ""}, {"STARTMENU", "Demo"}, {"ALLUSERS", "TRUE"},
        {"KYRU_COMPRESS_INSTALLER_CACHE", "TRUE"}, {"KYRU_DISABLE_ROLLBACK", "FALSE"},
        {"KYRU_DISABLE_VISTA_RESTART_MANAGER", "FALSE"}, {"IISHOST", "localhost"}, {"OVERRIDECACHE", ""},
        {"KYRULOGO", ""}, {"PROGRESSTEXT", ""}, {"PROGRESSMODE", ""}, {"LASTERROR", ""}, {"COPYWEBLOCK", ""},
        {"SELECTED", "0"}, {"WINDOWHANDLE", "0"}, {"PROGRESS", "0"},
        {"EXEFILE", "C:\\Pkg\\setup.exe"}, {"EXEDIR", "C:\\Pkg\\"}, {"ROOTDIR", "C:\\Pkg\\"},
        {"ABORT", "FALSE"}, {"LICENSE", "FALSE"}, {"REBOOTCOMPUTER", "FALSE"}, {"MINIMUM", "FALSE"},
        {"PERSONALIZED", "FALSE"}, {"REPAIR", "FALSE"}, {"REMOVE", "FALSE"}, {"ADVERTISE", "FALSE"},
        {"ABORTEDONERROR", "FALSE"}, {"SAVEDATA", "FALSE"},
        {"RUNAPP", "TRUE"}, {"COMPLETE", "TRUE"}, {"MODIFY", "TRUE"}, {"ABORTONERROR", "TRUE"},
        {"USERNAME", "Owner NT"}, {"USERCOMPANY", ""}, {"WIZARD", "NEXT"}, {"VERSION", "1.2.3"},
        {"SILENT", "FALSE"}, {"LOGGED", "c:\\logs\\setup.txt"}, {"CMDLINE", "/s TARGETDIR=C:\\App"},
        {"REBOOTNOW", "OK"}, {"SFXPATH", "c:\\wrap\\"}, {"SFXFILE", "outer.exe"}, {"GPOPATH", "c:\\gpo\\"},
        {"NEWLINE", "\r\n"}, {"TITLE", "Demo"}, {"COMPANY", "Samples"}, {"DATE", "11.12.2026"},
        {"TIME", "13:05:09"}, {"TEMPDIR", "C:\\Temp\\"}, {"SUPPORTDIR", "C:\\Temp\\yib1\\"},
        {"MSIFILE", "C:\\Temp\\yib1\\setup.msi"}, {"LANGUAGE", ""},
    };
    EXPECT_EQ(values, expected);
    ASSERT_GE(order.size(), 12u);
    EXPECT_EQ(order[0], "KYRU_thProgress") << "progress protocol first";
    EXPECT_EQ(order[9], "TARGETDIR") << "then Pre-Initialization";
    EXPECT_EQ(order[12], "KYRU_COMPRESS_INSTALLER_CACHE") << "then Initialization";
    EXPECT_EQ(order.back(), "LANGUAGE");
}

TEST_F(InitialVariables, AllUsersNeedsAnAdministratorOnTheNtFamily) {
    struct Case {
        unsigned platformId;
        bool administrator;
        const char* allUsers;
    };
    for (const Case c : {Case{2, true, "TRUE"}, Case{2, false, "FALSE"}, Case{1, true, "FALSE"}}) {
        engine.variables.clear();
        engine.windows.platformId = c.platformId;
        fake.system.administrator = c.administrator;
        createPreInitialization(engine);
        EXPECT_EQ(engine.variables.get("ALLUSERS"), c.allUsers) << c.platformId << " " << c.administrator;
    }
}

TEST_F(InitialVariables, Windows9xReadsTheRegisteredOwnerFromItsOwnKey) {
    engine.windows.platformId = 1;
    createInitialization(engine);
    EXPECT_EQ(engine.variables.get("USERNAME"), "Owner 9x");
}

TEST_F(InitialVariables, OptionalValuesStayEmptyWithoutTheirOptions) {
    engine.options = {};
    engine.options.silent = true;
    createInitialization(engine);
    for (const char* name : {"SFXPATH", "SFXFILE", "GPOPATH", "LOGGED"})
        EXPECT_EQ(engine.variables.get(name), "") << name;
    EXPECT_EQ(engine.variables.get("SILENT"), "TRUE");
}

TEST_F(InitialVariables, OverrideCacheKeepsAnEarlierValue) {
    engine.variables.add("OVERRIDECACHE", "D:\\Cache\\");
    createInitialization(engine);
    EXPECT_EQ(engine.variables.get("OVERRIDECACHE"), "D:\\Cache\\");
}

// In silent mode the command line's values stand against the script; the injection itself
// comes last and wins over the engine's own defaults.
TEST_F(InitialVariables, CommandLineOverridesComeLastAndStayProtected) {
    engine.options.silent = true;
    engine.options.overrides = {"TARGETDIR", "C:\\App", "NEWVAR", "x=y"};
    createInitialVariables(engine);
    EXPECT_EQ(engine.variables.get("TARGETDIR"), "C:\\App");
    EXPECT_EQ(engine.variables.get("NEWVAR"), "x=y");
    assignVariable(engine, "targetdir", "D:\\Elsewhere", "Set Variable Action");
    EXPECT_EQ(engine.variables.get("TARGETDIR"), "C:\\App");
}

TEST_F(InitialVariables, RunCompilesThenStartsFromAFreshStore) {
    // SCRIPTVAR is declared by the compile pass only: its line never runs.
    engine.lists = test::buildLists({{"If", {"SILENT", "0", "never", "FALSE"}}, {"Set Variable", {"SCRIPTVAR", "1"}},
                                     {"End", {}}});
    fake.files.addFile(engine.msiFile(), "");  // without a database the run stops before these variables
    Interpreter interpreter;
    interpreter.run(engine);
    EXPECT_FALSE(engine.variables.exists("SCRIPTVAR")) << "compile-time declarations are discarded";
    EXPECT_FALSE(engine.variables.exists("KYRU_DISABLEROLLBACK"));
    EXPECT_EQ(engine.variables.get("WIZARD"), "NEXT");
    EXPECT_EQ(engine.actionStates.size(), 3u);
}

TEST_F(InitialVariables, RunEndsTheProcessWith314WhenTheScriptDoesNotCompile) {
    engine.lists = test::buildLists({{"If", {"SILENT", "0", "1", "FALSE"}}});
    Interpreter interpreter;
    try {
        interpreter.run(engine);
        FAIL() << "the run went on";
    } catch (const test::ProcessExit& exit) {
        EXPECT_EQ(exit.code, 314);
    }
}

}  // namespace
