// An engine over the fake platform with a script built in code, for tests of command lines.
#pragma once

#include <string>
#include <vector>

#include "engine/engine.h"
#include "fake_platform.h"
#include "script_builder.h"

namespace qs::test {

struct CommandFixture {
    FakePlatform fakes;
    Engine engine{fakes.platform};

    void load(const std::vector<Line>& lines) {
        engine.lists = buildLists(lines);
        engine.script = ScriptModel(engine.lists);
    }
    // Loads a one-line script and runs `handler` on it.
    template <typename Handler>
    void run(Handler handler, const Line& line) {
        load({line});
        handler(engine, 0);
    }
    void set(const std::string& name, const std::string& value) { engine.variables.add(name, value); }
    std::string get(const std::string& name) const { return engine.variables.get(name); }
    bool has(const std::string& name) const { return engine.variables.exists(name); }
    // The spelling under which the store keeps `name`.
    std::string storedSpelling(const std::string& name) const {
        std::vector<std::string> dump;
        engine.variables.dump(dump);
        for (std::size_t i = 0; i + 1 < dump.size(); i += 2)
            if (equalsIgnoreCase(dump[i], name)) return dump[i];
        return {};
    }
};

}  // namespace qs::test
