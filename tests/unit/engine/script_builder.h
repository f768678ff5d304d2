// Builds the global lists of a small script in code: one entry per line, with generated line
// keys, so a test states only commands, parameters and disabled marks.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "bootstrap/global_lists.h"

namespace qs::test {

struct Line {
    std::string command;
    std::vector<std::string> parameters;  // parameter 1 first
    bool disabled = false;
};

inline std::string lineKeyFor(size_t index) {
    char key[48];
    std::snprintf(key, sizeof key, "{00000000-0000-0000-0000-%012zu}", index);
    return key;
}

inline GlobalLists buildLists(const std::vector<Line>& lines) {
    GlobalLists lists;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        lists.commandList.push_back(l.command);
        lists.lineKeyList.push_back(lineKeyFor(i));
        lists.disabledList.push_back(l.disabled ? "C" : "");
        lists.mediaPathList.push_back("");
        lists.sourcePositions.push_back("setup.qss*" + std::to_string(i));
        if (l.parameters.empty()) continue;
        lists.parameterList.push_back(lineKeyFor(i));
        for (const auto& p : l.parameters) lists.parameterList.push_back(p);
    }
    return lists;
}

inline Line off(Line l) {
    l.disabled = true;
    return l;
}

}  // namespace qs::test
