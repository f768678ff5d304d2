// "Evaluate Expression" texts.
#include <gtest/gtest.h>

#include "engine/expression.h"

using namespace qs;

namespace {

struct Case {
    const char* text;
    const char* result;
};

TEST(Expression, EvaluatesByTheGrammar) {
    const Case cases[] = {
        // comparisons
        {R"("a" = "a")", "TRUE"},
        {R"("a" = "A")", "FALSE"},
        {R"("a"="a")", "TRUE"},
        {R"("a" <> "b")", "TRUE"},
        {R"("abc" < "abd")", "TRUE"},
        {R"("ab" < "abc")", "TRUE"},
        {R"("abc" <= "ab")", "FALSE"},
        {R"("b" >= "b")", "TRUE"},
        {R"("b" > "a")", "TRUE"},
        {R"("" < "a")", "TRUE"},
        {"\"\xE4\" > \"z\"", "TRUE"},  // bytes compare unsigned
        {R"("say ""hi""" = "say ""hi""")", "TRUE"},
        {R"("a""" = "a")", "FALSE"},
        // sequences, strictly left to right
        {R"(("a" = "a") or ("a" = "b"))", "TRUE"},
        {R"("a" = "a" and "b" = "c")", "FALSE"},
        {R"("a" = "b" or "a" = "a" and "b" = "c")", "FALSE"},  // (F or T) and F
        {R"("a" = "a" or "a" = "b" and "c" = "c")", "TRUE"},
        {R"(  (  ( "x" = "x" ) )  )", "TRUE"},
        // failures that consume the whole text give an empty result
        {R"("a" AND "b")", ""},
        {R"("a" == "a")", ""},
        {R"(("a" = "a") AND ("b" = "b"))", ""},
        {R"(("a" = "a") xor ("b" = "b"))", ""},
        {"", ""},
        {R"("a" = )", ""},
        // unparsed text gives ERROR
        {R"(("a" = "a")))", "ERROR"},
        {R"($X$ = "a")", "ERROR"},
        {R"("a" = "b)", "ERROR"},
        {R"("unclosed)", "ERROR"},
        {R"(x)", "ERROR"},
        {R"(("a" = "a")or("b" = "b"))", "ERROR"},  // the word runs to the quote: "or(" fails, "b" = "b")) is left
    };
    for (const auto& c : cases) EXPECT_EQ(evaluateExpression(c.text), c.result) << c.text;
}

TEST(Expression, DeepNestingIsRejectedNotOverflowed) {
    std::string deep(100000, '(');
    deep += "\"a\" = \"a\"";
    deep += std::string(100000, ')');
    EXPECT_EQ(evaluateExpression(deep), "ERROR");
    std::string fits(kMaxExpressionDepth - 1, '(');
    fits += "\"a\" = \"a\"";
    fits += std::string(kMaxExpressionDepth - 1, ')');
    EXPECT_EQ(evaluateExpression(fits), "TRUE");
}

TEST(Expression, ScriptExpressionQuotesVariableValues) {
    TVariableManager store;
    store.add("NAME", "App");
    store.add("QUOTED", "a\"b");
    const Case cases[] = {
        {R"($NAME$ = "App")", "TRUE"},
        {R"($name$ <> "app")", "TRUE"},
        {R"($MISSING$ = "a")", "ERROR"},  // keeps its dollars
        {R"($QUOTED$ = "a")", "ERROR"},   // inner quotes are not escaped
    };
    for (const auto& c : cases) EXPECT_EQ(evaluateScriptExpression(store, c.text), c.result) << c.text;
}

TEST(Expression, CompileCheckReadsDollarsAsQuotes) {
    EXPECT_TRUE(expressionCompiles(R"($NAME$ = "App")"));
    EXPECT_TRUE(expressionCompiles(R"($A$ AND $B$)")) << "an empty result is not a syntax error";
    EXPECT_FALSE(expressionCompiles(R"($A$ = "b")) or)"));
    EXPECT_FALSE(expressionCompiles(R"($A$ = "b)"));
}

}  // namespace
