// What the packer writes, the engine's reader gives back: every group, every parameter text.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "bootstrap/global_lists.h"
#include "engine/text_case.h"
#include "packer/lists_builder.h"
#include "packer/lists_writer.h"
#include "packer/pack_error.h"
#include "packer/script_source.h"

using namespace qs::pack;
using qs::GlobalLists;
using Strings = std::vector<std::string>;

static std::string to_lower_copy(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

namespace {

ScriptLine line(std::string command, Strings parameters, int sourceLine, bool disabled = false,
                std::string media = {}, std::string file = "setup.qss") {
    ScriptLine l;
    l.command = std::move(command);
    l.parameters = std::move(parameters);
    l.sourceLine = sourceLine;
    l.disabled = disabled;
    l.mediaPath = std::move(media);
    l.sourceFile = std::move(file);
    return l;
}

PackageDescription description() {
    PackageDescription d;
    d.productCode = "{6F1C2A8E-4B7D-4E3A-9C21-5A0D3E7B9F11}";
    d.packageCode = "{A4E1D7C2-9B3F-4A68-8E05-1C7F2B6D9E40}";
    d.title = "Demo $TITLE$";
    d.company = "ACME";
    d.contact = "";
    d.helpLink = "http://h";
    d.updateInfoLink = "";
    d.comments = " c ";
    d.version = "1.0";
    d.buildMode = 2;
    d.codePage = 1250;
    d.languageDialog = true;
    d.defaultLanguage = "German";
    d.plugins = {"Plug One", "Plug Two"};
    d.constants = {{"LOCMODE", "VARSONLY"}, {"EMPTY", ""}};
    d.componentSizes = {{"Main", "4096"}};
    d.blockPasswords = {{"offline", "pw"}};
    d.mediaFiles = {{"OFFLINE", "64CE1B75\\readme.txt", "OFFLINE\\CF\\"}};
    return d;
}

GlobalLists roundTrip(const GlobalLists& g) { return qs::readGlobalLists(writeGlobalLists(g)); }

// The engine's parameter fetch: the entry n places after the first entry equal to the key.
std::string parameter(const GlobalLists& g, const std::string& key, size_t n) {
    for (size_t i = 0; i < g.parameterList.size(); ++i)
        if (qs::equalsIgnoreCase(g.parameterList[i], key))
            return i + n < g.parameterList.size() ? g.parameterList[i + n] : "<beyond>";
    return {};
}

// The engine's unscrambling of a block password, written independently of the packer's.
std::string unscramble(const std::string& s) {
    std::string hex;
    for (size_t i = 0; i < s.size(); ++i) hex += static_cast<char>(s[i] ^ (i & 0xFF));
    auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10; };
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(digit(hex[i]) | digit(hex[i + 1]) << 4);
    return out;
}

}  // namespace

TEST(ListsRoundTrip, EveryGroupComesBackAsBuilt) {
    Script s;
    s.lines = {line("Comment", {"hello"}, 3), line("Wizard Loop", {}, 4), line("Install Files", {"*.txt", "", "$TARGETDIR$"}, 5, true, "OFFLINE\\"),
               line("End", {}, 0, false, "", "lib\\inc.qss")};
    const PackageDescription d = description();
    const GlobalLists built = buildGlobalLists(s, d);
    const GlobalLists g = roundTrip(built);

    EXPECT_EQ(g.commandList, (Strings{"Comment", "Wizard Loop", "Install Files", "End"}));
    EXPECT_EQ(g.lineKeyList, built.lineKeyList);
    EXPECT_EQ(g.parameterList, built.parameterList);
    EXPECT_EQ(g.disabledList, (Strings{"", "", "C", ""}));
    EXPECT_EQ(g.productCode, d.productCode);
    EXPECT_EQ(g.productTitle, d.title);
    EXPECT_EQ(g.pluginList, d.plugins);
    EXPECT_EQ(g.company, d.company);
    EXPECT_EQ(g.contact, d.contact);
    EXPECT_EQ(g.helpLink, d.helpLink);
    EXPECT_EQ(g.updateInfoLink, d.updateInfoLink);
    EXPECT_EQ(g.comments, d.comments);
    EXPECT_EQ(g.productVersion, d.version);
    ASSERT_EQ(g.blockPasswords.size(), 2u);
    EXPECT_EQ(g.blockPasswords[0], "offline");
    EXPECT_EQ(unscramble(g.blockPasswords[1]), "pw");
    EXPECT_EQ(g.mediaPathList, (Strings{"", "", "OFFLINE\\", ""}));
    EXPECT_EQ(g.buildMode, 2);
    EXPECT_EQ(g.componentSizes, (Strings{"Main", "4096"}));
    EXPECT_EQ(g.packageCode, d.packageCode);
    EXPECT_EQ(g.mediaFileMap, (Strings{"OFFLINE", "64CE1B75\\readme.txt", "OFFLINE\\CF\\"}));
    EXPECT_TRUE(g.languageDialog);
    EXPECT_EQ(g.defaultLanguage, "German");
    EXPECT_EQ(g.commandHeaders, built.commandHeaders);
    EXPECT_EQ(g.constants, (Strings{"LOCMODE", "VARSONLY", "EMPTY", ""}));
    EXPECT_EQ(g.codePage, 1250);
    EXPECT_EQ(g.sourcePositions, (Strings{"setup.qss*3", "setup.qss*4", "setup.qss*5", "lib\\inc.qss*0"}));

    // Lines without parameters have no block; the others find theirs by key.
    EXPECT_EQ(g.parameterList.size(), 2u + 4u);
    EXPECT_EQ(parameter(g, g.lineKeyList[0], 1), "hello");
    EXPECT_EQ(parameter(g, g.lineKeyList[1], 1), "");
    EXPECT_EQ(parameter(g, g.lineKeyList[2], 0), g.lineKeyList[2]);
    EXPECT_EQ(parameter(g, g.lineKeyList[2], 3), "$TARGETDIR$");
}

TEST(ListsRoundTrip, EmptyScriptAndDefaults) {
    PackageDescription d;
    d.title = "T";
    GlobalLists g = roundTrip(buildGlobalLists(Script{}, d));
    EXPECT_TRUE(g.commandList.empty());
    EXPECT_TRUE(g.parameterList.empty());
    EXPECT_TRUE(g.sourcePositions.empty());
    EXPECT_EQ(g.productTitle, "T");
    EXPECT_EQ(g.buildMode, 1);
    EXPECT_EQ(g.codePage, 1252);
    EXPECT_FALSE(g.languageDialog);
}

// Every parameter text the source format can hold arrives unchanged.
TEST(ListsRoundTrip, HardParameterTexts) {
    const Strings texts = {"$",           "$$",        "$ ",       " $",          "",          "  ",
                           "a$DOLLAR$",   "$DOLLAR$x", "$DOLLAR",  "DOLLAR$",     "$WILD_DOLLAR",
                           "\"quoted\"",  "|",         "a|b",      "#",           "5$ or 6$",
                           "\t",          "C:\\x\\",   "\xE4\xF6", "$NEWLINE$",   "{not-a-key}"};
    Script s;
    for (size_t i = 0; i < texts.size(); ++i) s.lines.push_back(line("X", {texts[i], texts[i]}, int(i)));
    GlobalLists g = roundTrip(buildGlobalLists(s, description()));
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE("text '" + texts[i] + "'");
        EXPECT_EQ(parameter(g, g.lineKeyList[i], 1), texts[i]);
        EXPECT_EQ(parameter(g, g.lineKeyList[i], 2), texts[i]);
    }
}

TEST(ListsRoundTrip, TextsWithoutAnEncodingAreRefused) {
    struct Case {
        const char* name;
        GlobalLists lists;
    };
    auto with = [](auto set) {
        GlobalLists g;
        set(g);
        return g;
    };
    const Case cases[] = {
        {"parameter $DOLLAR$", with([](GlobalLists& g) { g.parameterList = {"{K}", "$DOLLAR$"}; })},
        {"parameter $Wild_Dollar$", with([](GlobalLists& g) { g.parameterList = {"{K}", "$Wild_Dollar$"}; })},
        {"command $", with([](GlobalLists& g) { g.commandList = {"$"}; })},
        {"title $", with([](GlobalLists& g) { g.productTitle = "$"; })},
        {"constant value $", with([](GlobalLists& g) { g.constants = {"C", "$"}; })},
        {"media path $", with([](GlobalLists& g) { g.mediaPathList = {"$"}; })},
        {"line break in a parameter", with([](GlobalLists& g) { g.parameterList = {"{K}", "a\r\nb"}; })},
        {"LF in a comment", with([](GlobalLists& g) { g.comments = "a\nb"; })},
        {"NUL in a plug-in name", with([](GlobalLists& g) { g.pluginList = {std::string("a\0b", 3)}; })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(writeGlobalLists(c.lists), PackError);
    }
}

TEST(ListsRoundTrip, KeysAndHeadersAreStableUniqueAndNeverCaptured) {
    Script s;
    for (int i = 0; i < 300; ++i) s.lines.push_back(line("X", {"p"}, i));
    s.lines.push_back(line("X", {"p"}, 0));  // same file and line again (a file included twice)
    const GlobalLists a = buildGlobalLists(s, description());
    EXPECT_EQ(buildGlobalLists(s, description()).lineKeyList, a.lineKeyList);  // deterministic

    std::set<std::string> keys, headers;
    for (const std::string& k : a.lineKeyList) {
        EXPECT_TRUE(isBracedGuid(k)) << k;
        keys.insert(k);
    }
    EXPECT_EQ(keys.size(), s.lines.size());
    ASSERT_EQ(a.commandHeaders.size(), 2 * s.lines.size());
    for (size_t i = 0; i < s.lines.size(); ++i) {
        const std::string& h = a.commandHeaders[2 * i];
        EXPECT_EQ(h.size(), 8u);
        EXPECT_TRUE(h[0] >= 'A' && h[0] <= 'F') << h;  // never all decimal digits
        EXPECT_EQ(h.find_first_not_of("0123456789ABCDEF"), std::string::npos) << h;
        EXPECT_EQ(a.commandHeaders[2 * i + 1], std::to_string(i));
        headers.insert(h);
    }
    EXPECT_EQ(headers.size(), s.lines.size());

    // A parameter that spells the key line 1 would get (in lower case) must not capture it.
    Script t;
    t.lines = {line("X", {to_lower_copy(a.lineKeyList[1])}, 0), line("Y", {"mine"}, 1)};
    const GlobalLists b = roundTrip(buildGlobalLists(t, description()));
    EXPECT_FALSE(qs::equalsIgnoreCase(b.lineKeyList[1], a.lineKeyList[1]));
    EXPECT_EQ(parameter(b, b.lineKeyList[1], 1), "mine");
    EXPECT_EQ(parameter(b, b.lineKeyList[0], 1), to_lower_copy(a.lineKeyList[1]));
}

TEST(ListsRoundTrip, BlockPasswordsUnscrambleToThePlainText) {
    const std::string cases[] = {"", "a", "secret", "P@ss w0rd \"$\"", std::string(23, 'Z'), "\xFF\x01"};
    for (const std::string& pw : cases) {
        SCOPED_TRACE(pw);
        const std::string scrambled = scrambleBlockPassword(pw, "b");
        EXPECT_EQ(scrambled.size(), 2 * pw.size());
        EXPECT_EQ(scrambled.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
        EXPECT_EQ(unscramble(scrambled), pw);
    }
    // A long password whose scrambled text would need a line break where no letter can help.
    std::string tooLong;
    bool refused = false;
    for (int n = 1; n <= 64 && !refused; ++n) {
        tooLong += '0';
        try {
            EXPECT_EQ(unscramble(scrambleBlockPassword(tooLong, "b")), tooLong);
        } catch (const PackError& e) {
            refused = true;
            EXPECT_GE(n, 24);
            EXPECT_NE(e.message.find("'b'"), std::string::npos);
        }
    }
    EXPECT_TRUE(refused);
}
