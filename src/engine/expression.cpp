// Evaluation of "Evaluate Expression" texts.
//
// Grammar (the text is enclosed in parentheses first; blanks, the space character only, are
// skipped before every element):
//
//   sequence   := term { word term }      ends at the end of the text or before ")"
//   word       := run of characters up to the next blank or double quote;
//                 "and" (1 when both sides are 1) or "or" (1 when either is 1), lower case only
//   term       := "(" sequence ")" | comparison
//   comparison := quoted operator quoted
//   operator   := run of characters up to the next blank or double quote:
//                 "=" | "<>" | "<=" | "<" | ">=" | ">"
//   quoted     := '"' { any character except '"' | '""' } '"'      ('""' stands for one '"')
//
// There is no precedence: the pairs of a sequence apply strictly from left to right.
// Comparisons are byte by byte and case-sensitive; a text that is a prefix of a longer one is
// smaller.
//
// Every element yields 1, 0 or a failure. A failure is a value, not an abort: the parse still
// consumes what it recognised, so a comparison with an unknown operator consumes both of its
// texts, a pair with an unknown word consumes its term, and a parenthesised term consumes its
// ")". A sequence stops at its first failure. A term that starts with anything else than "("
// or '"' consumes nothing. A quoted text without its closing quote takes the rest of the text
// as its value but leaves it unconsumed.
//
// Result: "ERROR" when text remains after the outer sequence, else "" after a failure, else
// "TRUE" or "FALSE".
#include "expression.h"

namespace qs {
namespace {

enum class Value { False, True, Failed };

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    Value sequence(int depth) {
        Value value = term(depth);
        while (value != Value::Failed) {
            skipBlanks();
            if (atEnd() || text_[pos_] == ')') break;
            const std::string_view word = run();
            const Value right = term(depth);
            if (right == Value::Failed) return Value::Failed;
            if (word == "and")
                value = (value == Value::True && right == Value::True) ? Value::True : Value::False;
            else if (word == "or")
                value = (value == Value::True || right == Value::True) ? Value::True : Value::False;
            else
                return Value::Failed;
        }
        return value;
    }

    bool atEnd() const { return pos_ >= text_.size(); }

private:
    Value term(int depth) {
        skipBlanks();
        if (atEnd()) return Value::Failed;
        if (text_[pos_] != '(') return comparison();
        if (depth >= kMaxExpressionDepth) return Value::Failed;  // leaves the "(": gives ERROR
        ++pos_;
        Value value = sequence(depth + 1);
        skipBlanks();
        if (atEnd() || text_[pos_] != ')') return Value::Failed;
        ++pos_;
        return value;
    }

    Value comparison() {
        std::string left;
        if (!quoted(left)) return Value::Failed;
        skipBlanks();
        const std::string_view op = run();
        std::string right;
        if (!quoted(right)) return Value::Failed;
        const int order = left.compare(right);
        if (op == "=") return truth(order == 0);
        if (op == "<>") return truth(order != 0);
        if (op == "<=") return truth(order <= 0);
        if (op == "<") return truth(order < 0);
        if (op == ">=") return truth(order >= 0);
        if (op == ">") return truth(order > 0);
        return Value::Failed;
    }

    // A quoted text at the current position; false (nothing consumed) when there is none.
    bool quoted(std::string& value) {
        skipBlanks();
        if (atEnd() || text_[pos_] != '"') return false;
        std::size_t at = pos_ + 1;
        while (at < text_.size()) {
            if (text_[at] != '"') {
                value.push_back(text_[at++]);
            } else if (at + 1 < text_.size() && text_[at + 1] == '"') {
                value.push_back('"');
                at += 2;
            } else {
                pos_ = at + 1;
                return true;
            }
        }
        return true;  // unclosed: the value is the rest, which stays unconsumed
    }

    // The run of characters up to the next blank or double quote.
    std::string_view run() {
        const std::size_t start = pos_;
        while (!atEnd() && text_[pos_] != ' ' && text_[pos_] != '"') ++pos_;
        return text_.substr(start, pos_ - start);
    }

    void skipBlanks() {
        while (!atEnd() && text_[pos_] == ' ') ++pos_;
    }

    static Value truth(bool b) { return b ? Value::True : Value::False; }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string evaluateExpression(std::string_view text) {
    std::string enclosed;
    enclosed.reserve(text.size() + 2);
    enclosed += '(';
    enclosed += text;
    enclosed += ')';
    Parser parser(enclosed);
    const Value value = parser.sequence(0);
    if (!parser.atEnd()) return "ERROR";
    if (value == Value::Failed) return {};
    return value == Value::True ? "TRUE" : "FALSE";
}

std::string evaluateScriptExpression(const TVariableManager& store, std::string_view expression) {
    return evaluateExpression(store.expandQuoted(expression));
}

bool expressionCompiles(std::string_view expression) {
    std::string text(expression);
    for (char& c : text)
        if (c == '$') c = '"';
    return evaluateExpression(text) != "ERROR";
}

}  // namespace qs
