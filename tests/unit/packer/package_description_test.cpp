// Parsing the package description.
#include <gtest/gtest.h>

#include <string>

#include "packer/pack_error.h"
#include "packer/package_description.h"

using namespace qs::pack;

namespace {

const char kMinimal[] =
    "[package]\n"
    "script = s.qss\n"
    "msi = d.msi\n"
    "[product]\n"
    "code = {6f1c2a8e-4b7d-4e3a-9c21-5a0d3e7b9f11}\n"
    "package-code = {A4E1D7C2-9B3F-4A68-8E05-1C7F2B6D9E40}\n"
    "title = Demo\n";

}  // namespace

TEST(PackageDescription, ReadsEverySetting) {
    PackageDescription d = parseDescription(std::string(kMinimal) +
                                                "company = \"  ACME \"\"Tools\"\"  \"\n"
                                                "contact = a@b   # a comment\n"
                                                "help-link = http://x/#anchor\n"
                                                "build-mode = 2\n"
                                                "code-page = 1250\n"
                                                "language-dialog = true\n"
                                                "default-language = German\n"
                                                "[constants]\n"
                                                "LOCMODE = VARSONLY\n"
                                                "EMPTY =\n"
                                                "\"WITH = SIGN\" = \" v \"\n"
                                                "[component-sizes]\n"
                                                "Main = 4096\n"
                                                "[block-passwords]\n"
                                                "offline = secret\n"
                                                "[plugins]\n"
                                                "My Plugin # a comment\n"
                                                "\"Quoted # Plugin\"\n"
                                                "[media-files]\n"
                                                "\"OFFLINE\", \"64CE1B75\\readme.txt\", \"OFFLINE\\CF\\\"\n",
                                            "d.ini", "/p");
    EXPECT_EQ(d.script, "/p/s.qss");
    EXPECT_EQ(d.msi, "/p/d.msi");
    EXPECT_EQ(d.name, "setup");
    EXPECT_EQ(d.productCode, "{6F1C2A8E-4B7D-4E3A-9C21-5A0D3E7B9F11}");  // upper-cased
    EXPECT_EQ(d.company, "  ACME \"Tools\"  ");
    EXPECT_EQ(d.contact, "a@b");
    EXPECT_EQ(d.helpLink, "http://x/#anchor");  // "#" inside a word is no comment
    EXPECT_EQ(d.buildMode, 2);
    EXPECT_EQ(d.codePage, 1250);
    EXPECT_TRUE(d.languageDialog);
    EXPECT_EQ(d.defaultLanguage, "German");
    ASSERT_EQ(d.constants.size(), 3u);
    EXPECT_EQ(d.constants[1], (NameValue{"EMPTY", ""}));
    EXPECT_EQ(d.constants[2], (NameValue{"WITH = SIGN", " v "}));
    EXPECT_EQ(d.componentSizes, (std::vector<NameValue>{{"Main", "4096"}}));
    EXPECT_EQ(d.blockPasswords, (std::vector<NameValue>{{"offline", "secret"}}));
    EXPECT_EQ(d.plugins, (std::vector<std::string>{"My Plugin", "Quoted # Plugin"}));
    ASSERT_EQ(d.mediaFiles.size(), 1u);
    EXPECT_EQ(d.mediaFiles[0][2], "OFFLINE\\CF\\");
}

TEST(PackageDescription, FaultsNameTheLine) {
    struct Case {
        const char* name;
        std::string text;
        int line;  // 0: about the whole file
        const char* message;
    };
    const std::string m = kMinimal;  // 7 lines
    const Case cases[] = {
        {"key before a section", "script = s\n", 1, "expected a [section] first"},
        {"unknown section", m + "[extras]\n", 8, "unknown section [extras]"},
        {"repeated section", m + "[package]\n", 8, "appears twice"},
        {"unknown key", m + "colour = red\n", 8, "unknown key 'colour' in [product]"},
        {"duplicate key", m + "title = Again\n", 8, "duplicate key 'title'"},
        {"no equals sign", m + "title\n", 8, "expected 'key = value'"},
        {"bad GUID", "[product]\ncode = 6F1C2A8E-4B7D-4E3A-9C21-5A0D3E7B9F11\n", 2, "GUID in braces"},
        {"bad number", m + "build-mode = two\n", 8, "decimal number"},
        {"bad boolean", m + "language-dialog = yes\n", 8, "TRUE or FALSE"},
        {"unterminated quote", m + "company = \"ACME\n", 8, "unterminated quoted text"},
        {"text after a quoted value", m + "company = \"ACME\" Ltd\n", 8, "unexpected text"},
        {"duplicate constant ignoring case", m + "[constants]\nA = 1\na = 2\n", 10, "duplicate constant 'a'"},
        {"component size not a number", m + "[component-sizes]\nMain = 4 KB\n", 9, "number of bytes"},
        {"short media file", m + "[media-files]\n\"a\", \"b\"\n", 9, "three quoted texts"},
        {"duplicate plug-in", m + "[plugins]\nP\nP\n", 10, "duplicate plug-in"},
        {"no script", "[product]\ntitle = T\n", 0, "script is missing"},
        {"no database", "[package]\nscript = s\n", 0, "needs msi or msp"},
        {"no product code", "[package]\nscript = s\nmsp = p.msp\n", 0, "code is missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            parseDescription(c.text, "d.ini", "/p");
            ADD_FAILURE() << "accepted";
        } catch (const PackError& e) {
            EXPECT_EQ(e.file, "d.ini");
            EXPECT_EQ(e.line, c.line);
            EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
        }
    }
}

TEST(PackageDescription, PackageNameMustBeAPlainFileName) {
    for (const char* name : {"a/b", "a\\b", "c:x", "x*", ""}) {
        SCOPED_TRACE(name);
        // kMinimal + 10 skips its "[package]" line.
        const std::string text = std::string("[package]\nname = \"") + name + "\"\n" + (kMinimal + 10);
        EXPECT_THROW(parseDescription(text, "d.ini", "/p"), PackError);
    }
}
