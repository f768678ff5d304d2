// Parser of the package description (see package_description.h).
#include "packer/package_description.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>

#include "engine/text_case.h"
#include "packer/pack_error.h"
#include "packer/quoted_text.h"
#include "packer/script_source.h"

namespace qs::pack {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// An unquoted text runs to the end of the line or to a comment: "#" after a blank. A "#" inside
// a word (http://host/#part) belongs to the text.
std::string readBare(LineScanner& s) {
    std::string_view rest = s.rest();
    size_t end = 0;
    while (end < rest.size() && !(rest[end] == '#' && (end == 0 || rest[end - 1] == ' ' || rest[end - 1] == '\t'))) ++end;
    s.skipToEnd();
    return trimBlanks(rest.substr(0, end));
}

// A value: quoted, or bare.
std::string readValue(LineScanner& s) {
    s.skipBlanks();
    if (s.peek() == '"') {
        std::string v = s.readQuoted();
        s.expectEndOrComment("the quoted value");
        return v;
    }
    return readBare(s);
}

// A key before "=": quoted, or bare up to the "=".
std::string readKey(LineScanner& s) {
    std::string key = s.peek() == '"' ? s.readQuoted() : s.readBareUntil("=");
    s.skipBlanks();
    if (!s.consume('=')) s.fail("expected 'key = value'");
    return key;
}

bool isDecimal(std::string_view s) {
    return !s.empty() && s.size() <= 18 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class DescriptionParser {
public:
    DescriptionParser(std::string name, fs::path folder) : folder_(std::move(folder)) {
        d.sourceName = std::move(name);
        d.folder = folder_;
    }

    void parse(std::string_view text) {
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(pos, end - pos);
            pos = end + 1;
            ++line_;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            parseLine(line);
        }
        finish();
    }

    PackageDescription d;

private:
    [[noreturn]] void fail(const std::string& message) const { throw PackError(d.sourceName, line_, message); }

    void parseLine(std::string_view line) {
        if (line.find('\0') != std::string_view::npos || line.find('\r') != std::string_view::npos)
            fail("control character inside a line");
        LineScanner s(line, d.sourceName, line_);
        s.skipBlanks();
        if (s.atEnd() || s.peek() == '#' || s.peek() == ';') return;
        if (s.consume('[')) {
            std::string name = s.readBareUntil("]");
            if (!s.consume(']')) s.fail("missing ']'");
            s.expectEndOrComment("the section name");
            section_ = lower(name);
            static const std::set<std::string> known = {"package", "product", "constants", "component-sizes",
                                                        "block-passwords", "plugins", "media-files"};
            if (!known.count(section_)) fail("unknown section [" + name + "]");
            if (!sectionsSeen_.insert(section_).second) fail("section [" + name + "] appears twice");
            return;
        }
        if (section_.empty()) s.fail("expected a [section] first");
        if (section_ == "plugins") return plugin(s);
        if (section_ == "media-files") return mediaFile(s);
        std::string key = readKey(s);
        std::string value = readValue(s);
        if (section_ == "package" || section_ == "product") return setting(key, value);
        if (key.empty()) fail("empty name");
        if (section_ == "constants") return pair(d.constants, key, value, "constant");
        if (section_ == "component-sizes") {
            if (!isDecimal(value)) fail("component size of '" + key + "' must be a number of bytes: '" + value + "'");
            return pair(d.componentSizes, key, value, "component");
        }
        if (section_ == "block-passwords") return pair(d.blockPasswords, key, value, "block");
    }

    void pair(std::vector<NameValue>& list, const std::string& key, const std::string& value, const char* what) {
        // The engine looks these names up ignoring case, so a second entry would never be found.
        for (const NameValue& e : list)
            if (equalsIgnoreCase(e.first, key)) fail(std::string("duplicate ") + what + " '" + key + "'");
        list.emplace_back(key, value);
    }

    void plugin(LineScanner& s) {
        std::string name;
        if (s.peek() == '"') {
            name = s.readQuoted();
            s.expectEndOrComment("the plug-in name");
        } else {
            name = readBare(s);
        }
        if (name.empty()) fail("empty plug-in name");
        for (const std::string& p : d.plugins)
            if (p == name) fail("duplicate plug-in '" + name + "'");
        d.plugins.push_back(name);
    }

    void mediaFile(LineScanner& s) {
        std::array<std::string, 3> triple;
        for (size_t i = 0; i < 3; ++i) {
            s.skipBlanks();
            if (i > 0 && !s.consume(',')) s.fail("a media file is three quoted texts: \"archive\", \"path\", \"destination\"");
            s.skipBlanks();
            if (s.peek() != '"') s.fail("a media file is three quoted texts: \"archive\", \"path\", \"destination\"");
            triple[i] = s.readQuoted();
        }
        s.expectEndOrComment("the media file");
        d.mediaFiles.push_back(triple);
    }

    fs::path path(const std::string& value) const {
        if (value.empty()) return {};
        fs::path p(value);
        return p.is_relative() ? folder_ / p : p;
    }

    int number(const std::string& key, const std::string& value) const {
        if (!isDecimal(value) || value.size() > 9) fail(key + " must be a decimal number: '" + value + "'");
        return std::stoi(value);
    }

    void setting(const std::string& rawKey, const std::string& value) {
        const std::string key = lower(trimBlanks(rawKey));
        if (!settingsSeen_.insert(section_ + "." + key).second) fail("duplicate key '" + key + "'");
        using Setter = std::function<void(const std::string&)>;
        const std::map<std::string, Setter> package = {
            {"name", [&](const std::string& v) { d.name = v; }},
            {"script", [&](const std::string& v) { d.script = path(v); }},
            {"engine", [&](const std::string& v) { d.engine = path(v); }},
            {"archive-library", [&](const std::string& v) { d.archiveLibrary = path(v); }},
            {"support", [&](const std::string& v) { d.support = path(v); }},
            {"msi", [&](const std::string& v) { d.msi = path(v); }},
            {"msp", [&](const std::string& v) { d.msp = path(v); }},
            {"bmp", [&](const std::string& v) { d.bmp = path(v); }},
            {"data", [&](const std::string& v) { d.data = path(v); }},
            {"language-file", [&](const std::string& v) { d.languageFile = path(v); }},
        };
        const std::map<std::string, Setter> product = {
            {"code", [&](const std::string& v) { d.productCode = guid(key, v); }},
            {"package-code", [&](const std::string& v) { d.packageCode = guid(key, v); }},
            {"title", [&](const std::string& v) { d.title = v; }},
            {"company", [&](const std::string& v) { d.company = v; }},
            {"contact", [&](const std::string& v) { d.contact = v; }},
            {"help-link", [&](const std::string& v) { d.helpLink = v; }},
            {"update-link", [&](const std::string& v) { d.updateInfoLink = v; }},
            {"comments", [&](const std::string& v) { d.comments = v; }},
            {"version", [&](const std::string& v) { d.version = v; }},
            {"build-mode", [&](const std::string& v) { d.buildMode = number(key, v); }},
            {"code-page", [&](const std::string& v) { d.codePage = number(key, v); }},
            {"language-dialog", [&](const std::string& v) { d.languageDialog = boolean(key, v); }},
            {"default-language", [&](const std::string& v) { d.defaultLanguage = v; }},
        };
        const auto& table = section_ == "package" ? package : product;
        auto it = table.find(key);
        if (it == table.end()) fail("unknown key '" + key + "' in [" + section_ + "]");
        it->second(value);
    }

    std::string guid(const std::string& key, const std::string& value) const {
        if (!isBracedGuid(value)) fail(key + " must be a GUID in braces: '" + value + "'");
        return upper(value);  // Windows Installer wants upper-case GUIDs
    }

    bool boolean(const std::string& key, const std::string& value) const {
        if (equalsIgnoreCase(value, "TRUE")) return true;
        if (equalsIgnoreCase(value, "FALSE")) return false;
        fail(key + " must be TRUE or FALSE: '" + value + "'");
    }

    void finish() {
        line_ = 0;
        if (d.script.empty()) fail("[package] script is missing");
        if (d.msi.empty() && d.msp.empty()) fail("[package] needs msi or msp: the engine stops without a database");
        if (d.productCode.empty()) fail("[product] code is missing");
        if (d.packageCode.empty()) fail("[product] package-code is missing");
        if (d.title.empty()) fail("[product] title is missing");
        if (d.name.empty() || d.name.find_first_of("\\/:*?\"<>|") != std::string::npos)
            fail("[package] name must be a plain file name: '" + d.name + "'");
    }

    fs::path folder_;
    int line_ = 0;
    std::string section_;
    std::set<std::string> sectionsSeen_;
    std::set<std::string> settingsSeen_;
};

}  // namespace

bool isBracedGuid(std::string_view t) {
    if (t.size() != 38 || t.front() != '{' || t.back() != '}') return false;
    for (size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? t[i] != '-' : !std::isxdigit(static_cast<unsigned char>(t[i]))) return false;
    }
    return true;
}

PackageDescription parseDescription(std::string_view text, const std::string& sourceName, const fs::path& folder) {
    DescriptionParser parser(sourceName, folder);
    parser.parse(text);
    return std::move(parser.d);
}

PackageDescription loadDescription(const fs::path& file) {
    return parseDescription(readSourceFile(file), file.string(), file.parent_path());
}

}  // namespace qs::pack
