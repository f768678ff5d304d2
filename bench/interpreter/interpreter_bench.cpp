// The interpreter's main loop over a long script of "Set Variable", "If" and "GoTo Label"
// lines, with the engine's own handlers, on an in-memory platform. Prints lines per second for
// the whole run (compile pass and preparation included) and for the main loop alone (the run
// minus a run of the same script with every line disabled).
//
//   interpreter_bench [LINES]      default 1,000,000; --smoke runs 7,000 lines once
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/engine.h"
#include "engine/interpreter.h"
#include "fake_platform.h"

using namespace qs;

namespace {

// Blocks of seven lines: two assignments, a condition with its End, a forward jump over a
// comment to the block's label.
GlobalLists makeScript(size_t lines, bool disabled) {
    GlobalLists lists;
    auto add = [&](const std::string& command, std::vector<std::string> params) {
        char key[48];
        std::snprintf(key, sizeof key, "{C0000000-0000-0000-0000-%012zu}", lists.commandList.size());
        lists.commandList.push_back(command);
        lists.lineKeyList.push_back(key);
        lists.disabledList.push_back(disabled && command != "Label" ? "C" : "");
        lists.mediaPathList.push_back("");
        lists.sourcePositions.push_back("bench.qss*" + std::to_string(lists.commandList.size() - 1));
        if (params.empty()) return;
        lists.parameterList.push_back(key);
        for (auto& p : params) lists.parameterList.push_back(std::move(p));
    };
    for (size_t block = 0; lists.commandList.size() + 7 <= lines; ++block) {
        const std::string label = "L" + std::to_string(block);
        add("Set Variable", {"COUNTER", "value"});
        add("If", {"COUNTER", "0", "value", "FALSE"});
        add("Set Variable", {"BRANCH", "$COUNTER$ taken"});
        add("End", {});
        add("GoTo Label", {label});
        add("Comment", {"jumped over"});
        add("Label", {label});
    }
    return lists;
}

double runSeconds(const GlobalLists& lists) {
    test::FakePlatform fake;
    Engine engine(fake.platform);
    engine.lists = lists;
    engine.supportFolder = "C:\\Temp\\yib1\\";
    engine.engineBaseName = "setup";
    engine.engineFolder = "C:\\Pkg\\";
    fake.files.addFile(engine.msiFile(), "msi");
    Interpreter interpreter;
    const auto start = std::chrono::steady_clock::now();
    interpreter.run(engine);
    const auto end = std::chrono::steady_clock::now();
    if (engine.variables.get("BRANCH") != (lists.disabledList.front() == "C" ? "" : "value taken"))
        std::fprintf(stderr, "interpreter_bench: the script did not run as expected\n");
    return std::chrono::duration<double>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    const size_t lines = smoke ? 7000 : (argc > 1 ? std::stoul(argv[1]) : 1000000);
    const int repeats = smoke ? 1 : 3;
    const GlobalLists script = makeScript(lines, false);
    const GlobalLists idle = makeScript(lines, true);
    double best = 1e9, bestIdle = 1e9;
    for (int i = 0; i < repeats; ++i) {
        best = std::min(best, runSeconds(script));
        bestIdle = std::min(bestIdle, runSeconds(idle));
    }
    const double n = static_cast<double>(script.commandList.size());
    std::printf("interpreter: %zu lines, whole run %.3f s = %.0f lines/s\n", script.commandList.size(), best, n / best);
    std::printf("interpreter: main loop alone %.3f s = %.0f lines/s (goal: at least 1,000,000)\n", best - bestIdle,
                n / std::max(best - bestIdle, 1e-9));
    return 0;
}
