#include "command_line.h"

#include "engine/text_case.h"

namespace qs::bootstrap {
namespace {

// One argument starting at `pos`; moves `pos` past it. Quotes toggle grouping and are dropped.
std::string nextArgument(const std::string& line, size_t& pos) {
    while (pos < line.size() && static_cast<unsigned char>(line[pos]) <= ' ') ++pos;
    std::string arg;
    bool quoted = false;
    while (pos < line.size()) {
        char c = line[pos];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && static_cast<unsigned char>(c) <= ' ') {
            break;
        } else {
            arg += c;
        }
        ++pos;
    }
    return arg;
}

bool isSwitch(const std::string& param, const char* word) {
    return param.size() > 1 && (param[0] == '/' || param[0] == '-') && equalsIgnoreCase(param.substr(1), word);
}

bool anySwitch(const std::vector<std::string>& params, std::initializer_list<const char*> words) {
    for (const auto& p : params)
        for (const char* w : words)
            if (isSwitch(p, w)) return true;
    return false;
}

// The lower-cased rest of the first parameter that begins with one of the prefixes.
std::string firstValue(const std::vector<std::string>& params, std::initializer_list<const char*> prefixes) {
    for (const auto& p : params)
        for (const char* prefix : prefixes)
            if (startsWithIgnoreCase(p, prefix)) return toLowerAscii(p.substr(3));
    return {};
}

}  // namespace

std::string commandLineTail(const std::string& raw) {
    if (!raw.empty() && raw[0] == '"') {
        size_t close = raw.find('"', 1);
        if (close == std::string::npos) return {};
        size_t start = close + 2;
        return start < raw.size() ? raw.substr(start) : std::string();
    }
    size_t blank = raw.find(' ');
    return blank == std::string::npos ? std::string() : raw.substr(blank + 1);
}

std::vector<std::string> commandLineParameters(const std::string& raw) {
    std::vector<std::string> params;
    size_t pos = 0;
    nextArgument(raw, pos);  // the program name
    while (true) {
        while (pos < raw.size() && static_cast<unsigned char>(raw[pos]) <= ' ') ++pos;
        if (pos >= raw.size()) break;
        params.push_back(nextArgument(raw, pos));
    }
    return params;
}

CommandLineOptions parseCommandLineOptions(const std::vector<std::string>& params) {
    CommandLineOptions o;
    o.silent = anySwitch(params, {"s", "qn"});
    o.update = anySwitch(params, {"update", "updatesetup"});
    o.policyPath = firstValue(params, {"/g="});
    o.wrapperPath = firstValue(params, {"/m="});
    o.logPath = firstValue(params, {"/l=", "-l="});
    o.sourceOverride = firstValue(params, {"/p=", "-p="});
    for (const auto& p : params) {
        if (p.empty() || p[0] == '/' || p[0] == '-') continue;
        size_t eq = p.find('=');
        if (eq == std::string::npos) continue;
        o.overrides.push_back(toUpperAscii(p.substr(0, eq)));
        o.overrides.push_back(p.substr(eq + 1));
    }
    return o;
}

}  // namespace qs::bootstrap
