// An engine over fake platform services with a script built in code, for tests of single
// command lines.
#pragma once

#include <memory>
#include <vector>

#include "engine/engine.h"
#include "fake_platform.h"
#include "script_builder.h"

namespace qs::test {

struct EngineFixture {
    FakePlatform fakes;
    FakeSystemInfo& system = fakes.system;  // its WOW64 flag can be switched
    Engine engine{fakes.platform};

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
