// In-memory stand-ins for the platform, for native tests of code that uses the OS seam.
// Paths compare case-insensitively, as on Windows.
#pragma once

#include <functional>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qs::test {

inline std::string foldPath(std::string p) {
    for (char& c : p) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    return p;
}

class FakeFileSystem final : public platform::FileSystem {
public:
    std::map<std::string, std::string> files;  // folded path -> bytes
    std::set<std::string> dirs;                // folded paths
    std::set<std::string> lockedFiles;         // cannot be deleted
    platform::DriveType drive = platform::DriveType::Fixed;  // the type of every drive

    void addFile(const std::string& path, const std::string& bytes) {
        files[foldPath(path)] = bytes;
        std::string p = foldPath(path);
        for (size_t cut = p.find('\\', 3); cut != std::string::npos; cut = p.find('\\', cut + 1)) dirs.insert(p.substr(0, cut));
    }
    bool has(const std::string& path) const { return files.count(foldPath(path)) > 0; }
    std::string content(const std::string& path) const {
        auto it = files.find(foldPath(path));
        return it == files.end() ? std::string() : it->second;
    }

    bool fileExists(const std::string& path) override { return has(path); }
    bool directoryExists(const std::string& path) override { return dirs.count(foldPath(path)) > 0; }
    bool createDirectoryTree(const std::string& path) override {
        std::string p = foldPath(path);
        for (size_t cut = p.find('\\', 3); cut != std::string::npos; cut = p.find('\\', cut + 1)) dirs.insert(p.substr(0, cut));
        dirs.insert(p);
        return true;
    }
    std::optional<std::uint64_t> fileSize(const std::string& path) override {
        if (!has(path)) return std::nullopt;
        return content(path).size();
    }
    std::optional<std::string> readFile(const std::string& path) override {
        if (!has(path) || unreadableFiles.count(foldPath(path))) return std::nullopt;
        return content(path);
    }
    bool writeFile(const std::string& path, const std::string& bytes) override {
        addFile(path, bytes);
        return true;
    }
    bool appendFile(const std::string& path, const std::string& bytes) override {
        files[foldPath(path)] += bytes;
        return true;
    }
    bool copyFile(const std::string& from, const std::string& to, bool overwrite) override {
        if (!has(from) || (!overwrite && has(to))) return false;
        addFile(to, content(from));
        return true;
    }
    bool deleteFile(const std::string& path) override {
        if (lockedFiles.count(foldPath(path))) return false;
        return files.erase(foldPath(path)) > 0;
    }
    bool setNormalAttributes(const std::string& path) override { return has(path); }
    bool removeDirectory(const std::string& path) override {
        std::string p = foldPath(path) + "\\";
        for (const auto& [f, _] : files)
            if (f.rfind(p, 0) == 0) return false;
        for (const auto& d : dirs)
            if (d.rfind(p, 0) == 0) return false;
        return dirs.erase(foldPath(path)) > 0;
    }
    std::vector<Entry> listDirectory(const std::string& path) override {
        std::string p = foldPath(path) + "\\";
        std::set<std::string> seenDirs;
        std::vector<Entry> out;
        for (const auto& [f, _] : files)
            if (f.rfind(p, 0) == 0 && f.find('\\', p.size()) == std::string::npos) out.push_back({f.substr(p.size()), false});
        for (const auto& d : dirs)
            if (d.rfind(p, 0) == 0 && d.find('\\', p.size()) == std::string::npos) out.push_back({d.substr(p.size()), true});
        return out;
    }
    platform::DriveType driveType(const std::string&) override { return drive; }

    // Names as stored (folded path -> entry name); an existing entry without one is stored as
    // the path spells it. Short forms (folded path -> short path); none: no short form.
    std::map<std::string, std::string> storedNames;
    std::map<std::string, std::string> shortNames;
    std::set<std::string> unreadableFiles;  // exist, but reading them fails
    unsigned temporaryCounter = 0;
    std::optional<std::string> storedName(const std::string& path) override {
        if (path.find_first_of("*?") != std::string::npos) return std::nullopt;
        const std::string p = foldPath(path);
        if (!files.count(p) && !dirs.count(p)) return std::nullopt;
        if (auto it = storedNames.find(p); it != storedNames.end()) return it->second;
        const size_t cut = path.find_last_of("\\:");
        return cut == std::string::npos ? path : path.substr(cut + 1);
    }
    std::optional<std::string> shortPathName(const std::string& path) override {
        auto it = shortNames.find(foldPath(path));
        if (it == shortNames.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::string> createTemporaryFile(const std::string& folder, const std::string& prefix) override {
        if (!dirs.count(foldPath(folder))) return std::nullopt;
        char number[16];
        std::snprintf(number, sizeof number, "%X", ++temporaryCounter);
        std::string path = folder;
        if (!path.empty() && path.back() != '\\') path += '\\';
        path += prefix + number + ".tmp";
        addFile(path, "");
        return path;
    }
    // Matches the file names of the pattern's folder against its last part ("*" and "?", any
    // case); names as stored (storedNames), in folded-name order.
    std::vector<std::string> findFiles(const std::string& pattern) override {
        const std::string folded = foldPath(pattern);
        const size_t cut = folded.rfind('\\');
        if (cut == std::string::npos) return {};
        const std::string wild = folded.substr(cut + 1);
        std::vector<std::string> out;
        for (const Entry& e : listDirectory(pattern.substr(0, cut)))
            if (!e.isDirectory && wildcardMatch(wild, e.name)) {
                auto stored = storedNames.find(folded.substr(0, cut + 1) + e.name);
                out.push_back(stored == storedNames.end() ? e.name : stored->second);
            }
        return out;
    }
    static bool wildcardMatch(const std::string& wild, const std::string& name, size_t w = 0, size_t n = 0) {
        if (w == wild.size()) return n == name.size();
        if (wild[w] == '*') return wildcardMatch(wild, name, w + 1, n) || (n < name.size() && wildcardMatch(wild, name, w, n + 1));
        return n < name.size() && (wild[w] == '?' || wild[w] == name[n]) && wildcardMatch(wild, name, w + 1, n + 1);
    }
};

class FakeRegistry final : public platform::Registry {
public:
    std::map<std::string, std::string> strings;  // "root\key\name" folded
    std::map<std::string, std::uint32_t> dwords;
    static std::string at(platform::RegistryRoot r, const std::string& key, const std::string& name) {
        return foldPath(std::to_string(static_cast<int>(r)) + "\\" + key) + "|" + name;
    }
    std::optional<std::string> readString(platform::RegistryRoot r, const std::string& k, const std::string& n,
                                          platform::RegistryView) override {
        auto it = strings.find(at(r, k, n));
        if (it == strings.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::uint32_t> readDword(platform::RegistryRoot r, const std::string& k, const std::string& n,
                                           platform::RegistryView) override {
        auto it = dwords.find(at(r, k, n));
        if (it == dwords.end()) return std::nullopt;
        return it->second;
    }
    bool writeString(platform::RegistryRoot r, const std::string& k, const std::string& n, const std::string& v,
                     platform::RegistryView) override {
        strings[at(r, k, n)] = v;
        return true;
    }
    bool writeDword(platform::RegistryRoot r, const std::string& k, const std::string& n, std::uint32_t v,
                    platform::RegistryView) override {
        dwords[at(r, k, n)] = v;
        return true;
    }
    bool keyExists(platform::RegistryRoot, const std::string&, platform::RegistryView) override { return false; }
    bool deleteValue(platform::RegistryRoot r, const std::string& k, const std::string& n,
                     platform::RegistryView) override {
        strings.erase(at(r, k, n));
        dwords.erase(at(r, k, n));
        return true;
    }
    bool deleteTree(platform::RegistryRoot, const std::string&, platform::RegistryView) override { return true; }
};

class FakeSystemInfo final : public platform::SystemInfo {
public:
    platform::WindowsVersion version{6, 1, 7601, 2, "Service Pack 1"};
    std::string exe = "C:\\Pkg\\setup.exe";
    std::string temp = "C:\\Temp\\";
    bool restricted = false;
    bool wow64 = true;  // a 32-bit process on 64-bit Windows
    platform::WindowsVersion windowsVersion() override { return version; }
    bool isWow64() override { return wow64; }
    std::string temporaryFolder() override { return temp; }
    std::string executablePath() override { return exe; }
    void restrictToFirstProcessor() override { restricted = true; }
    bool administrator = true;
    std::string date = "12/11/2026";
    std::string time = "11:56:08 AM";
    bool isAdministrator() override { return administrator; }
    std::string shortDateText() override { return date; }
    std::string longTimeText() override { return time; }
    std::string languageId = "0409";         // the system default locale's language
    std::string defaultLanguageId = "0409";  // and its default language
    std::map<unsigned, std::string> englishNames = {{1031, "German"}, {2055, "German"}, {1033, "English"},
                                                    {1036, "French"}, {4108, "French"}, {1091, "Uzbek"}};
    std::string systemLanguageId(bool defaultLanguage) override { return defaultLanguage ? defaultLanguageId : languageId; }
    std::string englishLanguageName(unsigned lcid) override {
        auto it = englishNames.find(lcid);
        return it == englishNames.end() ? std::string() : it->second;
    }
};

// Latin-1 as the ANSI code page.
class FakeEncoding final : public platform::TextEncoding {
public:
    std::u16string ansiToUtf16(const std::string& text) override {
        std::u16string out;
        for (unsigned char c : text) out += static_cast<char16_t>(c);
        return out;
    }
    // Latin-1 letters: a-z and the accented small letters 0xE0-0xFE except 0xF7 (division
    // sign); 0xDF and 0xFF have no single upper-case letter in the code page.
    std::string upperCase(const std::string& text) override {
        std::string out = text;
        for (char& c : out) {
            const auto u = static_cast<unsigned char>(c);
            if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) c = static_cast<char>(u - 0x20);
        }
        return out;
    }
    std::string lowerCase(const std::string& text) override {
        std::string out = text;
        for (char& c : out) {
            const auto u = static_cast<unsigned char>(c);
            if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) c = static_cast<char>(u + 0x20);
        }
        return out;
    }
};

// Ending the process is reported as this exception, so a test can see the code.
struct ProcessExit {
    int code;
};

class FakeProcess final : public platform::Process {
public:
    unsigned long ticks = 1000;
    [[noreturn]] void exitNow(int code) override { throw ProcessExit{code}; }
    unsigned long tickCount() override { return ticks; }
};

// Records every box; answers with `answer`.
class FakeMessageBoxes final : public platform::MessageBoxes {
public:
    struct Box {
        platform::WindowHandle owner;
        std::string text;
        std::string caption;
        unsigned flags;
    };
    std::vector<Box> shown;
    int answer = 1;
    int show(platform::WindowHandle owner, const std::string& text, const std::string& caption,
             unsigned flags) override {
        shown.push_back({owner, text, caption, flags});
        return answer;
    }
};

// Counts the calls; `onPending` and `onOne` let a test see when they happen.
class FakeWindowMessages final : public platform::WindowMessages {
public:
    int pendingCalls = 0;
    int oneCalls = 0;
    std::function<void()> onPending;
    std::function<void()> onOne;
    void processPending() override {
        ++pendingCalls;
        if (onPending) onPending();
    }
    bool processOne() override {
        ++oneCalls;
        if (onOne) onOne();
        return false;
    }
};

struct FakePlatform {
    FakeFileSystem files;
    FakeRegistry registry;
    FakeSystemInfo system;
    FakeEncoding encoding;
    FakeProcess process;
    FakeMessageBoxes messageBoxes;
    FakeWindowMessages windowMessages;
    platform::Platform platform{registry, system, files, encoding, process, messageBoxes, windowMessages};
};

}  // namespace qs::test
