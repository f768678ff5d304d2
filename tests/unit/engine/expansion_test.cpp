// $NAME$ references and #NAME# constants.
#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>

#include "engine/expansion.h"
#include "engine/variable_manager.h"

using namespace qs;

namespace {

using Vars = std::vector<std::pair<std::string, std::string>>;

struct ExpandCase {
    const char* what;
    Vars vars;
    std::string text;
    std::string plain;
    std::string quoted;
};

void fill(TVariableManager& store, const Vars& vars) {
    for (const auto& [n, v] : vars) store.add(n, v);
}

const std::vector<ExpandCase> kExpandCases = {
    {"no dollar", {{"A", "x"}}, "plain text", "plain text", "plain text"},
    {"names ignore case", {{"TITLE", "App"}}, "Installing $title$", "Installing App", "Installing \"App\""},
    {"closing dollar left over", {{"A", "x"}}, "$A$B$", "xB$", "\"x\"B$"},
    {"closing dollar of a missing name opens the next", {{"B", "y"}}, "$A$B$", "$Ay", "$A\"y\""},
    {"blank-led name between prices", {{"A", "x"}}, "Costs 5$ or 6$", "Costs 5$ or 6$", "Costs 5$ or 6$"},
    {"blank-led name that exists", {{" or 6", "!"}}, "Costs 5$ or 6$", "Costs 5!", "Costs 5\"!\""},
    {"value expands again", {{"A", "$B$"}, {"B", "1"}}, "$A$", "1", "\"\"1\"\""},
    {"value completed by following text", {{"A", "$B"}, {"B", "z"}}, "$A$$", "z", "\"$B\"$"},
    {"empty name never a variable", {{"", "bad"}}, "a$$b", "a$$b", "a$$b"},
    {"single dollar", {}, "$", "$", "$"},
    {"unterminated reference", {{"A", "x"}}, "pay $A", "pay $A", "pay $A"},
    {"empty value", {{"E", ""}}, "<$E$>", "<>", "<\"\">"},
    {"quotes inside value kept", {{"Q", "say \"hi\""}}, "$Q$", "say \"hi\"", "\"say \"hi\"\""},
    {"name with blanks and symbols", {{"MY VAR #1", "ok"}}, "[$my var #1$]", "[ok]", "[\"ok\"]"},
    {"adjacent references", {{"A", "1"}, {"B", "2"}}, "$A$$B$", "12", "\"1\"\"2\""},
    {"missing variable kept", {}, "$NOPE$ stays", "$NOPE$ stays", "$NOPE$ stays"},
    {"chain through three values", {{"A", "<$B$>"}, {"B", "($C$)"}, {"C", "c"}}, "$A$", "<(c)>", "\"<\"(\"c\")\">\""},
    {"8-bit bytes in names compare exactly", {{"\xC4PFEL", "1"}}, "$\xE4pfel$|$\xC4pfel$", "$\xE4pfel$|1",
     "$\xE4pfel$|\"1\""},
};

TEST(Expansion, ExpandsReferencesByTheScanRules) {
    for (const auto& c : kExpandCases) {
        TVariableManager store;
        fill(store, c.vars);
        EXPECT_EQ(store.expand(c.text), c.plain) << c.what;
        EXPECT_EQ(store.expandQuoted(c.text), c.quoted) << c.what;
    }
}

TEST(Expansion, TextWithoutDollarNeverLooksUp) {
    int lookups = 0;
    auto count = [&](std::string_view, std::string&) {
        ++lookups;
        return false;
    };
    EXPECT_EQ(expandReferences("no references here", false, count), "no references here");
    EXPECT_EQ(lookups, 0);
    EXPECT_EQ(expandReferences("$A$B$C$", false, count), "$A$B$C$");
    EXPECT_EQ(lookups, 3);  // A, B, C: each closing dollar opens the next name
}

// Self-references and cycles must end: the result is bounded and keeps the unexpanded rest.
struct CycleCase {
    const char* what;
    Vars vars;
    std::string text;
};

TEST(Expansion, CyclesEndWithinTheBounds) {
    const std::vector<CycleCase> cases = {
        {"value is its own reference", {{"A", "$A$"}}, "$A$"},
        {"two variables refer to each other", {{"A", "$B$"}, {"B", "$A$"}}, "x $A$ y"},
        {"value grows by one per step", {{"A", "x$A$"}}, "$A$"},
        {"value doubles its references", {{"A", "$A$$A$"}}, "$A$"},
        {"large value refers to itself", {{"A", std::string(1 << 20, 'v') + "$A$"}}, "$A$"},
    };
    for (const auto& c : cases) {
        TVariableManager store;
        fill(store, c.vars);
        auto start = std::chrono::steady_clock::now();
        std::string out = store.expand(c.text);
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LE(out.size(), kMaxExpandedLength + (1u << 20) + 8) << c.what;
        EXPECT_NE(out.find('$'), std::string::npos) << c.what << ": the unexpanded rest is kept";
        EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(took).count(), 10) << c.what;
        // The quoted form grows on every step, so its length bound is what stops it.
        EXPECT_LE(store.expandQuoted(c.text).size(), kMaxExpandedLength + (1u << 20) + 8) << c.what;
    }
}

TEST(Expansion, SelfReferenceStopsAtTheSubstitutionBound) {
    TVariableManager store;
    store.add("A", "x$A$");
    std::string out = store.expand("$A$");
    EXPECT_EQ(out, std::string(kMaxSubstitutions, 'x') + "$A$");
}

TEST(Expansion, LongValuesAndManyReferencesExpandCompletely) {
    TVariableManager store;
    const std::string big(300000, 'b');
    store.add("BIG", big);
    store.add("N", "1");
    std::string text;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        text += "a$N$";
        expected += "a1";
    }
    EXPECT_EQ(store.expand(text), expected);
    EXPECT_EQ(store.expand("[$BIG$][$BIG$]"), "[" + big + "][" + big + "]");
}

struct ConstantCase {
    const char* what;
    std::vector<std::string> constants;
    std::string text;
    std::string expected;
};

TEST(Constants, ExpandInListOrderAndRepeat) {
    const std::vector<ConstantCase> cases = {
        {"no number sign", {"A", "1"}, "plain $A$", "plain $A$"},
        {"names ignore case", {"SINGLEINSTANCE", "TRUE"}, "#singleInstance#", "TRUE"},
        {"every occurrence", {"A", "1"}, "#A#-#a#-#A", "1-1-#A"},
        {"unknown constant kept", {"A", "1"}, "#B#", "#B#"},
        {"later constant sees earlier result", {"A", "#B#", "B", "2"}, "#A#", "2"},
        {"earlier constant needs a second pass", {"A", "1", "B", "#A#"}, "#B#", "1"},
        {"occurrences do not overlap", {"A", "1"}, "#A#A#", "1A#"},
        {"odd trailing name ignored", {"A", "1", "B"}, "#A##B#", "1#B#"},
    };
    for (const auto& c : cases) EXPECT_EQ(expandConstantsIn(c.text, c.constants), c.expected) << c.what;
}

TEST(Constants, CyclesEndWithinTheBounds) {
    const std::vector<ConstantCase> cases = {
        {"mutual reference", {"A", "#B#", "B", "#A#"}, "#A#", "#A#"},
        {"growing self reference", {"A", "x#A#"}, "#A#", ""},
        {"doubling self reference", {"A", "#A##A#"}, "#A#", ""},
    };
    for (const auto& c : cases) {
        std::string out = expandConstantsIn(c.text, c.constants);
        if (!c.expected.empty()) {
            EXPECT_EQ(out, c.expected) << c.what;
        }
        EXPECT_NE(out.find('#'), std::string::npos) << c.what;
        EXPECT_LE(out.size(), 2 * kMaxExpandedLength) << c.what;
    }
    // A growing self reference gains one "x" per pass.
    EXPECT_EQ(expandConstantsIn("#A#", {"A", "x#A#"}), std::string(kMaxConstantPasses, 'x') + "#A#");
}

}  // namespace
