#include "condition.h"

#include "engine.h"
#include "engine_error.h"
#include "integer_text.h"
#include "variables.h"

namespace qs {
namespace {

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool contains(std::string_view subject, std::string_view comparand) {
    return !comparand.empty() && subject.find(comparand) != std::string_view::npos;
}

bool compareNumbers(char op, std::int32_t subject, std::int32_t comparand) {
    return op == '2' ? subject > comparand : subject == comparand;
}

bool compareTexts(char op, const std::string& subject, const std::string& comparand, const UpperCaseMapping& upperCase) {
    switch (op) {
        case '0': return subject == comparand;
        case '1': return contains(subject, comparand);
        case '2': return subject.compare(comparand) > 0;  // char_traits<char> compares as unsigned bytes
        case '3': return !comparand.empty() && contains(upperCase(subject), upperCase(comparand));
        case '4': return equalsIgnoringAsciiCase(subject, comparand);
        default: return false;
    }
}

}  // namespace

VersionNumber readVersion(std::string_view text) {
    VersionNumber version{0, 0, 0, 0};
    std::string_view rest = text;
    for (std::int32_t& component : version) {
        if (rest.empty()) break;
        const std::size_t dot = rest.find('.');
        if (dot != std::string_view::npos) {
            const std::string_view digits = rest.substr(0, dot);
            const auto value = parseDecimalInt32(digits);
            if (!value) throw EngineError(notAnIntegerMessage(digits));
            component = *value;
            rest.remove_prefix(dot + 1);
        } else {
            component = parseDecimalInt32(rest).value_or(0);
            rest = {};
        }
    }
    return version;
}

bool versionGreater(std::string_view subject, std::string_view comparand) {
    const VersionNumber a = readVersion(subject);
    const VersionNumber b = readVersion(comparand);
    return a > b;  // lexicographic, first component first
}

bool compareValues(std::string_view op, const std::string& subject, const std::string& comparand,
                   const UpperCaseMapping& upperCase) {
    if (op.size() != 1) return false;
    const char code = op[0];
    if (code == '6') return versionGreater(subject, comparand);
    if (code < '0' || code > '4') return false;
    const auto a = parseInt32(subject);
    const auto b = parseInt32(comparand);
    if (a && b) return compareNumbers(code, *a, *b);
    return compareTexts(code, subject, comparand, upperCase);
}

bool evaluateCondition(const Engine& engine, int line, const ParameterTranslator& translate) {
    const auto index = static_cast<std::size_t>(line);
    std::string reference = engine.script.lineParameter(index, 1);
    const std::string& op = engine.script.lineParameter(index, 2);
    std::string comparandText = engine.script.lineParameter(index, 3);
    const bool negate = toBoolean(engine.script.lineParameter(index, 4));

    if (translate && !getVariable(engine, "LANGUAGE").empty()) {
        reference = translate(engine, reference);
        comparandText = translate(engine, comparandText);
    }

    bool holds = false;
    if (op == "5") {
        // The name as written: dollar signs, if any, are part of it.
        holds = engine.variables.exists(reference);
    } else {
        const std::string subject = referenceValue(engine, reference);
        const std::string comparand = engine.variables.expand(comparandText);
        platform::TextEncoding& encoding = engine.platform.encoding;
        holds = compareValues(op, subject, comparand,
                              [&encoding](const std::string& text) { return encoding.upperCase(text); });
    }
    return holds != negate;
}

}  // namespace qs
