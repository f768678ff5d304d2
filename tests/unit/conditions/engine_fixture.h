// An engine over fake platform services with a script built in code, for tests of single
// command lines.
#pragma once

#include <memory>
#include <vector>

#include "engine/engine.h"
#include "fake_platform.h"
#include "script_builder.h"

namespace qs::test {

// The fake system with a switchable WOW64 flag; every other answer as FakeSystemInfo gives.
class SwitchableSystemInfo final : public platform::SystemInfo {
public:
    bool wow64 = true;
    int wow64Queries = 0;
    platform::WindowsVersion windowsVersion() override { return inner.windowsVersion(); }
    bool isWow64() override {
        ++wow64Queries;
        return wow64;
    }
    std::string temporaryFolder() override { return inner.temporaryFolder(); }
    std::string executablePath() override { return inner.executablePath(); }
    void restrictToFirstProcessor() override {}
    bool isAdministrator() override { return true; }
    std::string shortDateText() override { return inner.shortDateText(); }
    std::string longTimeText() override { return inner.longTimeText(); }
    std::string systemLanguageId(bool defaultLanguage) override { return inner.systemLanguageId(defaultLanguage); }
    std::string englishLanguageName(unsigned lcid) override { return inner.englishLanguageName(lcid); }

private:
    FakeSystemInfo inner;
};

struct EngineFixture {
    FakePlatform fakes;
    SwitchableSystemInfo system;
    platform::Platform services{fakes.registry, system,           fakes.files,         fakes.encoding,
                                fakes.process,  fakes.messageBoxes, fakes.windowMessages};
    Engine engine{services};

    // Replaces the script by `lines`; returns the engine for chaining.
    Engine& load(const std::vector<Line>& lines) {
        engine.lists = buildLists(lines);
        engine.script = ScriptModel(engine.lists);
        return engine;
    }
    void set(const std::string& name, const std::string& value) { engine.variables.add(name, value); }
    std::string get(const std::string& name) const { return engine.variables.get(name); }
};

}  // namespace qs::test
