// The condition of "If" / "Else If" and version comparison.
#include <gtest/gtest.h>

#include "engine/condition.h"
#include "engine/engine_error.h"
#include "engine_fixture.h"

using namespace qs;
using qs::test::EngineFixture;

namespace {

struct Case {
    const char* subject;  // value of variable S
    const char* op;
    const char* comparand;
    bool expected;       // without negation; every case also runs negated
};

const Case kCases[] = {
    // "0": numbers when both read as 32-bit integers, else identical texts.
    {"7", "0", "007", true},
    {" 7", "0", "+7", true},
    {"$10", "0", "16", true},
    {"0x10", "0", "x10", true},
    {"$FFFFFFFF", "0", "-1", true},
    {"7 ", "0", "7", false},  // "7 " is not an integer: texts differ
    {"a", "0", "A", false},
    {"abc", "0", "abc", true},
    {"", "0", "", true},
    {"4294967296", "0", "0", false},  // outside 32 bits: compared as texts
    // "1": numeric equality, else case-sensitive containment.
    {"123", "1", "2", false},
    {"123", "1", "123", true},
    {"abc", "1", "b", true},
    {"Hello", "1", "ell", true},
    {"Hello", "1", "ELL", false},
    {"abc", "1", "", false},
    {"", "1", "", false},
    {"ab", "1", "abc", false},
    // "2": greater.
    {"10", "2", "9", true},
    {"9", "2", "10", false},
    {"-1", "2", "-2", true},
    {"10", "2", "10", false},
    {"10a", "2", "9a", false},
    {"b", "2", "a", true},
    {"ab", "2", "a", true},   // the longer text with the same start is greater
    {"a", "2", "ab", false},
    {"\xE4", "2", "z", true},  // bytes compare unsigned
    {"2147483648", "2", "9", false},  // beyond 32 bits: texts, "2" < "9"
    // "3": numeric equality, else containment ignoring case by the system mapping.
    {"123", "3", "2", false},
    {"Hello World", "3", "WORLD", true},
    {"\xC4pfel", "3", "\xE4pfel", true},
    {"stra\xDF" "e", "3", "STRASSE", false},
    {"abc", "3", "", false},
    {"", "3", "", false},
    // "4": equality ignoring the case of a-z only.
    {"Abc", "4", "aBC", true},
    {"\xC4pfel", "4", "\xE4pfel", false},
    {"12", "4", "012", true},
    {"abc", "4", "abcd", false},
    // "6": version greater.
    {"1.10", "6", "1.9", true},
    {"1.9", "6", "1.10", false},
    {"1.2.3", "6", "1.2.3.0", false},
    {"2", "6", "1.9.9.9", true},
    {"1.0.0.1", "6", "1", true},
    // Other codes are false.
    {"a", "7", "a", false},
    {"a", "", "a", false},
    {"a", "00", "a", false},
    {"a", "-1", "a", false},
};

TEST(Condition, OperatorsCompareNumbersOrTexts) {
    for (const Case& c : kCases) {
        for (const char* negation : {"FALSE", "TRUE"}) {
            EngineFixture f;
            f.set("S", c.subject);
            f.load({{"If", {"S", c.op, c.comparand, negation}}});
            const bool expected = c.expected != (std::string(negation) == "TRUE");
            EXPECT_EQ(evaluateCondition(f.engine, 0), expected)
                << "subject '" << c.subject << "' op " << c.op << " comparand '" << c.comparand << "' negation "
                << negation;
        }
    }
}

TEST(Condition, NegationFlagIsABooleanText) {
    for (const auto& [flag, negated] : std::vector<std::pair<const char*, bool>>{
             {"TRUE", true}, {"true", true}, {"-1", true}, {"1", false}, {"", false}, {"yes", false}}) {
        EngineFixture f;
        f.set("S", "x");
        f.load({{"If", {"S", "0", "x", flag}}});
        EXPECT_EQ(evaluateCondition(f.engine, 0), !negated) << flag;
    }
}

TEST(Condition, SubjectIsTheExpandedValueOfTheReferencedVariable) {
    EngineFixture f;
    f.set("S", "$T$ and more");
    f.set("T", "inner");
    f.set("C", "inner and");
    f.load({
        {"If", {"S", "0", "inner and more", ""}},
        {"If", {"$S$", "0", "inner and more", ""}},
        {"If", {"s", "1", "$C$", ""}},            // names ignore case; the comparand is expanded
        {"If", {"MISSING", "0", "", ""}},         // a missing variable is an empty subject
        {"If", {"$MISSING$", "0", "$MISSING$", ""}},  // an unknown reference in the comparand stays
    });
    EXPECT_TRUE(evaluateCondition(f.engine, 0));
    EXPECT_TRUE(evaluateCondition(f.engine, 1));
    EXPECT_TRUE(evaluateCondition(f.engine, 2));
    EXPECT_TRUE(evaluateCondition(f.engine, 3));
    EXPECT_FALSE(evaluateCondition(f.engine, 4));
    EXPECT_FALSE(f.engine.variables.exists("MISSING")) << "reading must not create the variable";
}

TEST(Condition, DefinedTestsTheNameAsWritten) {
    EngineFixture f;
    f.set("S", "");
    f.set("$D$", "odd but legal");
    f.load({
        {"If", {"S", "5", "ignored", ""}},
        {"If", {"s", "5", "", ""}},
        {"If", {"$S$", "5", "", ""}},  // the dollars are part of the name
        {"If", {"$D$", "5", "", ""}},
        {"If", {"NOPE", "5", "", ""}},
        {"If", {"NOPE", "5", "", "TRUE"}},
    });
    EXPECT_TRUE(evaluateCondition(f.engine, 0));
    EXPECT_TRUE(evaluateCondition(f.engine, 1));
    EXPECT_FALSE(evaluateCondition(f.engine, 2));
    EXPECT_TRUE(evaluateCondition(f.engine, 3));
    EXPECT_FALSE(evaluateCondition(f.engine, 4));
    EXPECT_TRUE(evaluateCondition(f.engine, 5));
}

TEST(Condition, MalformedVersionFailsTheLine) {
    EngineFixture f;
    f.set("S", "1.x.3");
    f.load({{"If", {"S", "6", "1.0", ""}}, {"If", {"S", "1", "x", ""}}});
    EXPECT_THROW(evaluateCondition(f.engine, 0), EngineError);
    EXPECT_TRUE(evaluateCondition(f.engine, 1)) << "only the version operator reads components";
}

TEST(Condition, ParametersAreTranslatedOnlyWhileALanguageIsActive) {
    EngineFixture f;
    f.set("ORIGINAL", "apple");
    f.set("TRANSLATED", "Apfel");
    f.load({{"If", {"ORIGINAL", "0", "apple", ""}}});
    int calls = 0;
    const ParameterTranslator translate = [&calls](const Engine&, std::string_view text) {
        ++calls;
        if (text == "ORIGINAL") return std::string("TRANSLATED");
        if (text == "apple") return std::string("Apfel");
        return std::string(text);
    };
    f.set("LANGUAGE", "");
    EXPECT_TRUE(evaluateCondition(f.engine, 0, translate));
    EXPECT_EQ(calls, 0);

    f.set("LANGUAGE", "German");
    EXPECT_TRUE(evaluateCondition(f.engine, 0, translate));  // TRANSLATED holds "Apfel"
    EXPECT_EQ(calls, 2);
    f.set("TRANSLATED", "other");
    EXPECT_FALSE(evaluateCondition(f.engine, 0, translate));
    EXPECT_TRUE(evaluateCondition(f.engine, 0));  // no translator: texts as written

    f.engine.variables.add("LANGUAGE", "German");
    f.load({{"If", {"GONE", "5", "", ""}}});
    const ParameterTranslator toExisting = [](const Engine&, std::string_view) { return std::string("TRANSLATED"); };
    EXPECT_TRUE(evaluateCondition(f.engine, 0, toExisting)) << "the defined test uses the translated name";
}

struct VersionCase {
    const char* text;
    VersionNumber expected;
};

TEST(Version, ReadsUpToFourComponents) {
    const VersionCase cases[] = {
        {"1.2.3.4", {1, 2, 3, 4}},
        {"1.2", {1, 2, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"7", {7, 0, 0, 0}},
        {"1.2.", {1, 2, 0, 0}},
        {"1.2.3.4.5", {1, 2, 3, 4}},
        {"1.2.3.4.x.y", {1, 2, 3, 4}},   // beyond the fourth nothing is read
        {"1.x", {1, 0, 0, 0}},           // the last component may be no number
        {"1.2b", {1, 0, 0, 0}},
        {" 1. 2", {1, 2, 0, 0}},         // blanks before digits are allowed
        {"1.99999999999", {1, 0, 0, 0}}, // beyond 32 bits: no number
    };
    for (const VersionCase& c : cases) EXPECT_EQ(readVersion(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Version, ComponentBeforeADotMustBeADecimalNumber) {
    for (const char* text : {"x.1", "1..2", ".1", "1.2.x.4", "$A.1", "1 .2", "99999999999.1"})
        EXPECT_THROW(readVersion(text), EngineError) << '"' << text << '"';
}

TEST(Version, GreaterComparesComponentsFromTheFirst) {
    EXPECT_TRUE(versionGreater("1.10", "1.9"));
    EXPECT_FALSE(versionGreater("1.10", "1.10"));
    EXPECT_FALSE(versionGreater("1.2.3.4.9", "1.2.3.4.1"));
    EXPECT_TRUE(versionGreater("10.0", "9.99.99.99"));
    EXPECT_FALSE(versionGreater("0.0.0.0", ""));
    EXPECT_TRUE(versionGreater("1.0.0.0", ""));
    EXPECT_TRUE(versionGreater("0.0.0.1", ""));
    EXPECT_FALSE(versionGreater("-1", "0"));
    EXPECT_THROW(versionGreater("1.0", "a.b"), EngineError);
}

}  // namespace
