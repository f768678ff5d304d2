// The engine's two archive operations, list and extract, over the archive library yib.lib.
//
// The library's calls sit behind ArchiveLibrary (bound to the DLL in win32/, faked in tests);
// what the engine decides around them lives here: the defaults, the answers to the library's
// callbacks and the wording of failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qs::bootstrap {

// Listing failures by library code; any other code is a general failure.
std::string listFailureText(int code);
// Extraction failures: "#" and the library's code.
std::string extractFailureText(int code);
// The library's mode: 0 when the caller's flag is on (keep the archive's folders), else 1.
int extractMode(bool flag);

// The wrapper's answers to the library's callbacks during one operation.
class ArchiveCallbackState {
public:
    using Progress = std::function<bool(const std::string& name, std::int64_t done, std::int64_t total)>;
    using Second = std::function<int(int, int)>;

    ArchiveCallbackState(const std::string& password, bool overwrite, Progress progress = {}, Second second = {});
    ~ArchiveCallbackState();

    // Copies the stored password into `buffer` (zero-terminated, cut to `size`), forgets it and
    // returns 1; returns 0 when no password is stored (none given, or already handed out).
    int passwordAnswer(char* buffer, std::size_t size);
    // Nonzero to go on, 0 to abort.
    int progressAnswer(const char* name, std::int64_t done, std::int64_t total);
    // The caller's answer, 1 by default.
    int secondAnswer(int a, int b);
    // 4 (overwrite an existing file) when the overwrite flag is on, else 1 (keep it).
    int fileQueryAnswer() const;

private:
    std::optional<std::string> password_;
    bool overwrite_;
    Progress progress_;
    Second second_;
};

// The library's calls as the wrapper uses them.
class ArchiveLibrary {
public:
    virtual ~ArchiveLibrary() = default;
    // Opens the listing, copies the entry names into `names` and closes it; false on failure
    // (the code is then lastError()).
    virtual bool listNames(const std::string& archive, const std::string& password, ArchiveCallbackState& callbacks,
                           std::vector<std::string>& names) = 0;
    // Extracts `files` (entry names as listed) into `target`; false on failure.
    virtual bool extract(const std::string& archive, const std::string& target, const std::vector<std::string>& files,
                         int mode, const std::string& password, ArchiveCallbackState& callbacks) = 0;
    virtual int lastError() = 0;
};

struct ArchiveListing {
    bool ok = false;
    std::vector<std::string> names;
    std::string error;  // when !ok
};

struct ArchiveOutcome {
    bool ok = false;
    std::string error;  // when !ok
};

struct ExtractRequest {
    std::string archive;
    std::string password;
    std::string targetFolder;
    std::optional<std::vector<std::string>> files;  // default: every entry, listed first
    bool overwrite = true;                         // answer to "the file exists": overwrite
    bool keepFolders = true;                       // the mode flag (see extractMode)
    ArchiveCallbackState::Progress progress;        // optional
    ArchiveCallbackState::Second second;            // optional
};

ArchiveListing listArchive(ArchiveLibrary& library, const std::string& archive, const std::string& password);
ArchiveOutcome extractArchive(ArchiveLibrary& library, const ExtractRequest& request);

}  // namespace qs::bootstrap
