// Expansion of a large text full of references, and the compile pass over a large script,
// each measured at N and 2N. Linear work shows a ratio near 2.
//
//   engine_bench            1 MB text with 10,000 references; 100,000-line script
//   engine_bench --smoke    tiny sizes, to keep the program working
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/compiler.h"
#include "engine/script_model.h"
#include "engine/variable_manager.h"

using namespace qs;

namespace {

using Clock = std::chrono::steady_clock;

// Best times of the N and 2N runs, measured alternately so that both see the same load on a
// shared machine.
struct PairTimes {
    double n = 1e30;
    double twice = 1e30;
};

template <typename F, typename G>
PairTimes bestOfAlternating(int repeats, F&& workN, G&& work2N) {
    PairTimes best;
    for (int i = 0; i < repeats; ++i) {
        auto start = Clock::now();
        workN();
        auto middle = Clock::now();
        work2N();
        auto end = Clock::now();
        best.n = std::min(best.n, std::chrono::duration<double>(middle - start).count());
        best.twice = std::min(best.twice, std::chrono::duration<double>(end - middle).count());
    }
    return best;
}

// About 100 bytes of plain text per reference; every tenth reference names a value that holds
// a further reference, and every seventh names no variable at all.
std::string makeText(int references) {
    std::string text;
    text.reserve(static_cast<size_t>(references) * 104);
    const std::string filler =
        "The quick brown fox jumps over the lazy dog; costs 5$ or 6 EUR. 0123456789 abcdefghij klmnopq ";
    for (int i = 0; i < references; ++i) {
        text += filler;
        if (i % 7 == 0)
            text += "$MISSING" + std::to_string(i % 50) + "$";
        else
            text += "$VAR" + std::to_string(i % 100) + "$";
    }
    return text;
}

void fillStore(TVariableManager& store) {
    for (int i = 0; i < 100; ++i)
        store.add("VAR" + std::to_string(i), i % 10 == 0 ? "<$INNER$>" : "value " + std::to_string(i));
    store.add("INNER", "inner");
}

// A script of `blocks` repeated 10-line groups, with labels, conditions, loops, recorded
// commands and expressions.
GlobalLists makeScript(int lines) {
    GlobalLists lists;
    auto add = [&](const std::string& command, std::vector<std::string> params) {
        const size_t index = lists.commandList.size();
        char key[48];
        std::snprintf(key, sizeof key, "{B0000000-0000-0000-0000-%012zu}", index);
        lists.commandList.push_back(command);
        lists.lineKeyList.push_back(key);
        lists.disabledList.push_back(index % 13 == 0 && command == "Comment" ? "C" : "");
        lists.mediaPathList.push_back("");
        lists.sourcePositions.push_back("setup.qss*" + std::to_string(index));
        if (params.empty()) return;
        lists.parameterList.push_back(key);
        for (auto& p : params) lists.parameterList.push_back(std::move(p));
    };
    for (int block = 0; lists.commandList.size() + 10 <= static_cast<size_t>(lines); ++block) {
        const std::string n = std::to_string(block);
        add("Label", {"L" + n});
        add("Set Variable", {"V" + n, "value $V" + n + "$"});
        add("If", {"V" + n, "0", "$V" + n + "$", "FALSE"});
        add("Install Files", {"*.txt", "", "$TARGETDIR$\\" + n});
        add("Evaluate Expression", {"($V" + n + "$ = \"a\") or ($TITLE$ <> \"b\")", "R" + n});
        add("End", {});
        add("Wizard Loop", {});
        add("Display Dialog", {"Page" + n, "WIZARD", "TRUE", "$V" + n + "$"});
        add("End", {});
        add("GoTo Label", {"L" + n});
    }
    while (lists.commandList.size() < static_cast<size_t>(lines)) add("Comment", {"filler"});
    return lists;
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    const int references = smoke ? 100 : 10000;
    const int lines = smoke ? 1000 : 100000;
    const int repeats = smoke ? 1 : 15;

    TVariableManager store;
    fillStore(store);
    const std::string textN = makeText(references);
    const std::string text2N = makeText(2 * references);
    size_t sink = 0;
    const PairTimes expand = bestOfAlternating(
        repeats, [&] { sink += store.expand(textN).size(); }, [&] { sink += store.expand(text2N).size(); });
    const double expandN = expand.n;
    const double expand2N = expand.twice;
    std::printf("expand  %7zu bytes, %6d references: %8.3f ms\n", textN.size(), references, expandN * 1e3);
    std::printf("expand  %7zu bytes, %6d references: %8.3f ms\n", text2N.size(), 2 * references, expand2N * 1e3);
    std::printf("expand  ratio 2N/N: %.2f\n", expand2N / expandN);

    const GlobalLists scriptN = makeScript(lines);
    const GlobalLists script2N = makeScript(2 * lines);
    int failures = 0;
    auto compileOnce = [&](const GlobalLists& lists) {
        ScriptModel model(lists);  // the indexes are built once per run, so they are part of the cost
        TVariableManager variables;
        LabelTable labels;
        ActionStateList actions;
        CompileResult result = compileScript(model, variables, labels, actions);
        if (!result.succeeded()) {
            std::fprintf(stderr, "compile failed at %d: %s\n", result.failingLine, result.message.c_str());
            ++failures;
        }
    };
    const PairTimes compile =
        bestOfAlternating(smoke ? 1 : 7, [&] { compileOnce(scriptN); }, [&] { compileOnce(script2N); });
    const double compileN = compile.n;
    const double compile2N = compile.twice;
    std::printf("compile %7d lines: %8.3f ms\n", lines, compileN * 1e3);
    std::printf("compile %7d lines: %8.3f ms\n", 2 * lines, compile2N * 1e3);
    std::printf("compile ratio 2N/N: %.2f\n", compile2N / compileN);
    return failures == 0 && sink > 0 ? 0 : 1;
}
