// Building the global lists (see lists_builder.h).
#include "packer/lists_builder.h"

#include <cctype>
#include <cstdint>
#include <set>

#include "packer/pack_error.h"

namespace qs::pack {

namespace {

std::uint64_t mix(std::uint64_t x) {  // splitmix64 finaliser
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return x;
}

std::uint64_t hash64(std::string_view text, std::uint64_t seed) {
    std::uint64_t h = 0xCBF29CE484222325ull ^ mix(seed);  // FNV-1a, seeded
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001B3ull;
    }
    return mix(h);
}

const char kHex[] = "0123456789ABCDEF";

std::string hexDigits(std::uint64_t value, int count) {
    std::string s(count, '0');
    for (int i = count - 1; i >= 0; --i, value >>= 4) s[i] = kHex[value & 15];
    return s;
}

// A version-4-shaped GUID from 128 hashed bits.
std::string guidFromText(std::string_view text) {
    std::uint64_t hi = hash64(text, 1), lo = hash64(text, 2);
    hi = (hi & ~0xF000ull) | 0x4000ull;                        // version 4
    lo = (lo & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;  // variant 1
    std::string h = hexDigits(hi, 16) + hexDigits(lo, 16);
    return "{" + h.substr(0, 8) + "-" + h.substr(8, 4) + "-" + h.substr(12, 4) + "-" + h.substr(16, 4) + "-" +
           h.substr(20, 12) + "}";
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::string scrambleBlockPassword(std::string_view password, const std::string& block) {
    std::string out;
    out.reserve(password.size() * 2);
    auto put = [&](unsigned digit) {
        const unsigned pos = out.size() & 0xFF;
        char c = kHex[digit];
        char scrambled = static_cast<char>(c ^ pos);
        auto breaksLine = [](char x) { return x == '\r' || x == '\n' || x == '\0'; };
        if (breaksLine(scrambled) && digit >= 10) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            scrambled = static_cast<char>(c ^ pos);
        }
        if (breaksLine(scrambled))
            throw PackError("the password of web media block '" + block +
                            "' is too long to be stored (its scrambled text would contain a line break or NUL)");
        out += scrambled;
    };
    for (unsigned char c : password) {
        put(c & 15);  // low digit first
        put(c >> 4);
    }
    return out;
}

GlobalLists buildGlobalLists(const Script& script, const PackageDescription& d) {
    GlobalLists g;

    // Texts a key must not equal: any parameter (compared ignoring case, as the lookup does).
    std::set<std::string> taken;
    for (const ScriptLine& line : script.lines)
        for (const std::string& p : line.parameters) taken.insert(upper(p));

    std::set<std::string> headers;
    for (size_t i = 0; i < script.lines.size(); ++i) {
        const ScriptLine& line = script.lines[i];
        const std::string position = line.sourceFile + "*" + std::to_string(line.sourceLine);

        std::string key;
        for (int salt = 0;; ++salt) {
            key = guidFromText(position + "#" + std::to_string(salt));
            if (taken.insert(upper(key)).second) break;
        }
        std::string header;
        for (int salt = 0;; ++salt) {
            std::uint64_t h = hash64(key, 100 + salt);
            header = std::string(1, "ABCDEF"[h % 6]) + hexDigits(h >> 8, 7);
            if (headers.insert(header).second) break;
        }

        g.commandList.push_back(line.command);
        g.lineKeyList.push_back(key);
        if (!line.parameters.empty()) {
            g.parameterList.push_back(key);
            g.parameterList.insert(g.parameterList.end(), line.parameters.begin(), line.parameters.end());
        }
        g.disabledList.push_back(line.disabled ? "C" : "");
        g.mediaPathList.push_back(line.mediaPath);
        g.commandHeaders.push_back(header);
        g.commandHeaders.push_back(std::to_string(i));
        g.sourcePositions.push_back(position);
    }

    g.productCode = d.productCode;
    g.productTitle = d.title;
    g.pluginList = d.plugins;

    g.company = d.company;
    g.contact = d.contact;
    g.helpLink = d.helpLink;
    g.updateInfoLink = d.updateInfoLink;
    g.comments = d.comments;
    g.productVersion = d.version;
    for (const NameValue& b : d.blockPasswords) {
        g.blockPasswords.push_back(b.first);
        g.blockPasswords.push_back(scrambleBlockPassword(b.second, b.first));
    }

    g.buildMode = d.buildMode;
    for (const NameValue& c : d.componentSizes) {
        g.componentSizes.push_back(c.first);
        g.componentSizes.push_back(c.second);
    }

    g.packageCode = d.packageCode;
    for (const auto& m : d.mediaFiles) g.mediaFileMap.insert(g.mediaFileMap.end(), m.begin(), m.end());

    g.languageDialog = d.languageDialog;
    g.defaultLanguage = d.defaultLanguage;

    for (const NameValue& c : d.constants) {
        g.constants.push_back(c.first);
        g.constants.push_back(c.second);
    }
    g.codePage = d.codePage;
    return g;
}

}  // namespace qs::pack
