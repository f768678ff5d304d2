// A command-line front end to the engine's archive wrapper and yib.lib, for tests under Wine.
//
//   yib_tool list ARCHIVE [--password=P]
//   yib_tool extract ARCHIVE TARGET [--password=P] [--files=a|b|...] [--no-overwrite] [--flat]
//                                   [--cancel-at=PERCENT] [--password-via-callback]
//
// Prints "ENTRY:<name>" per listed name, "PROGRESS:<calls> <done>/<total>" after an extraction
// with progress, then "OK" or "ERROR:<text>"; exits 0 on success, 1 on failure, 2 on misuse.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../../archive/win32/yib_api.h"
#include "../../../src/bootstrap/win32/archive_library_win32.h"

using namespace qs::bootstrap;

namespace {

std::string option(const std::vector<std::string>& args, const std::string& name, bool* present = nullptr) {
    for (const std::string& a : args) {
        if (a == name) {
            if (present) *present = true;
            return {};
        }
        if (a.rfind(name + "=", 0) == 0) {
            if (present) *present = true;
            return a.substr(name.size() + 1);
        }
    }
    if (present) *present = false;
    return {};
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

std::string callbackPassword;
int __stdcall givePassword(char* buffer) {
    std::snprintf(buffer, YIB_PASSWORD_BUFFER, "%s", callbackPassword.c_str());
    return 1;
}

int finish(bool ok, const std::string& error) {
    std::printf(ok ? "OK\n" : "ERROR:%s\n", error.c_str());
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2) return 2;
    YibArchiveLibrary library;
    const std::string password = option(args, "--password");
    if (args[0] == "list") {
        const ArchiveListing listing = listArchive(library, args[1], password);
        for (const std::string& n : listing.names) std::printf("ENTRY:%s\n", n.c_str());
        return finish(listing.ok, listing.error);
    }
    if (args[0] != "extract" || args.size() < 3) return 2;

    bool viaCallback = false;
    option(args, "--password-via-callback", &viaCallback);
    if (viaCallback) {
        // The password only through the callback, every entry.
        callbackPassword = password;
        const int ok = ExtractArchive(args[1].c_str(), YIB_EXTRACT_ALL, args[2].c_str(), nullptr, YIB_MODE_FULL_PATHS, "",
                                      givePassword, nullptr, nullptr, nullptr);
        return finish(ok != 0, extractFailureText(GetLastArchiveError()));
    }

    ExtractRequest request;
    request.archive = args[1];
    request.targetFolder = args[2];
    request.password = password;
    bool has = false;
    const std::string files = option(args, "--files", &has);
    if (has) request.files = split(files, '|');
    option(args, "--no-overwrite", &has);
    request.overwrite = !has;
    option(args, "--flat", &has);
    request.keepFolders = !has;
    const std::string cancelAt = option(args, "--cancel-at", &has);
    const int cancelPercent = has ? std::stoi(cancelAt) : 101;
    int calls = 0;
    std::int64_t lastDone = 0, lastTotal = 0;
    request.progress = [&](const std::string&, std::int64_t done, std::int64_t total) {
        ++calls;
        lastDone = done;
        lastTotal = total;
        return total == 0 || done * 100 / total < cancelPercent;
    };
    const ArchiveOutcome outcome = extractArchive(library, request);
    std::printf("PROGRESS:%d %lld/%lld\n", calls, static_cast<long long>(lastDone), static_cast<long long>(lastTotal));
    return finish(outcome.ok, outcome.error);
}
