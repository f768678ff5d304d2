// The engine's archive wrapper against a recorded library: defaults, callback answers and the
// wording of failures.
#include <gtest/gtest.h>

#include <stdexcept>

#include "../../../src/bootstrap/archive_library.h"

using namespace qs::bootstrap;

namespace {

// Records the calls and answers like the library would; calls back as told.
class RecordedLibrary : public ArchiveLibrary {
public:
    bool listOk = true;
    bool extractOk = true;
    int error = 0;
    bool throwOnExtract = false;
    std::vector<std::string> entries = {"a.txt", "dir", "dir\\b.txt"};

    int listCalls = 0;
    std::string listedPassword;
    std::vector<std::string> extractedFiles;
    int mode = -1;
    std::string target;
    int passwordAnswers[2] = {-1, -1};
    std::string passwordSeen;
    int queryAnswer = -1;
    int progressAnswer = -1;
    int secondAnswer = -1;

    bool listNames(const std::string&, const std::string& password, ArchiveCallbackState& cb, std::vector<std::string>& names) override {
        ++listCalls;
        listedPassword = password;
        if (!listOk) return false;
        names = entries;
        (void)cb;
        return true;
    }
    bool extract(const std::string&, const std::string& t, const std::vector<std::string>& files, int m, const std::string&,
                 ArchiveCallbackState& cb) override {
        if (throwOnExtract) throw std::runtime_error("disk on fire");
        extractedFiles = files;
        mode = m;
        target = t;
        char buffer[8] = {};
        passwordAnswers[0] = cb.passwordAnswer(buffer, sizeof buffer);
        passwordSeen = buffer;
        passwordAnswers[1] = cb.passwordAnswer(buffer, sizeof buffer);
        queryAnswer = cb.fileQueryAnswer();
        progressAnswer = cb.progressAnswer("a.txt", 50, 100);
        secondAnswer = cb.secondAnswer(1, 2);
        return extractOk;
    }
    int lastError() override { return error; }
};

ExtractRequest request(const std::string& archive, const std::string& password, const std::string& target) {
    ExtractRequest r;
    r.archive = archive;
    r.password = password;
    r.targetFolder = target;
    return r;
}

}  // namespace

TEST(ArchiveWrapper, ListingFailuresAreWordedByCode) {
    const std::pair<int, const char*> cases[] = {
        {1001, "The archive file was not found"},
        {1002, "Illegal path used in a wildcard expression"},
        {1003, "The archive cannot be opened: unsupported archive or incorrect password"},
        {1004, "General failure opening archive"},
        {0, "General failure opening archive"},
    };
    for (const auto& [code, text] : cases) {
        RecordedLibrary lib;
        lib.listOk = false;
        lib.error = code;
        const ArchiveListing listing = listArchive(lib, "x.7z", "");
        EXPECT_FALSE(listing.ok);
        EXPECT_EQ(listing.error, text);
        // Extracting everything lists first, and fails the same way.
        const ArchiveOutcome outcome = extractArchive(lib, request("x.7z", "", "C:\\t"));
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.error, text);
        EXPECT_TRUE(lib.extractedFiles.empty());
    }
}

TEST(ArchiveWrapper, ExtractsEveryListedEntryByDefaultWithTheDefaults) {
    RecordedLibrary lib;
    const ArchiveOutcome outcome = extractArchive(lib, request("x.7z", "pw", "C:\\target"));
    EXPECT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(lib.listCalls, 1);
    EXPECT_EQ(lib.listedPassword, "pw");
    EXPECT_EQ(lib.extractedFiles, lib.entries);
    EXPECT_EQ(lib.target, "C:\\target");
    EXPECT_EQ(lib.mode, 0);
    EXPECT_EQ(lib.queryAnswer, 4);
    EXPECT_EQ(lib.progressAnswer, 1);
    EXPECT_EQ(lib.secondAnswer, 1);
}

TEST(ArchiveWrapper, PasswordIsHandedOutOnceAndCutToTheBuffer) {
    RecordedLibrary lib;
    extractArchive(lib, request("x.7z", "longpassword", "t"));
    EXPECT_EQ(lib.passwordAnswers[0], 1);
    EXPECT_EQ(lib.passwordSeen, "longpas");
    EXPECT_EQ(lib.passwordAnswers[1], 0);

    RecordedLibrary none;
    extractArchive(none, request("x.7z", "", "t"));
    EXPECT_EQ(none.passwordAnswers[0], 0);
}

TEST(ArchiveWrapper, CallerFlagsAndCallbacksReachTheLibrary) {
    RecordedLibrary lib;
    ExtractRequest r = request("x.7z", "", "t");
    r.files = std::vector<std::string>{"dir\\b.txt"};
    r.overwrite = false;
    r.keepFolders = false;
    std::string progressName;
    r.progress = [&](const std::string& name, std::int64_t done, std::int64_t total) {
        progressName = name;
        return done < total / 2;  // stop at half way
    };
    r.second = [](int, int) { return 7; };
    EXPECT_TRUE(extractArchive(lib, r).ok);
    EXPECT_EQ(lib.listCalls, 0);
    EXPECT_EQ(lib.extractedFiles, std::vector<std::string>{"dir\\b.txt"});
    EXPECT_EQ(lib.mode, 1);
    EXPECT_EQ(lib.queryAnswer, 1);
    EXPECT_EQ(lib.progressAnswer, 0);
    EXPECT_EQ(progressName, "a.txt");
    EXPECT_EQ(lib.secondAnswer, 7);
}

TEST(ArchiveWrapper, ExtractionFailuresAreTheCodeAfterAHash) {
    RecordedLibrary lib;
    lib.extractOk = false;
    lib.error = 1006;
    EXPECT_EQ(extractArchive(lib, request("x.7z", "", "t")).error, "#1006");
    lib.throwOnExtract = true;
    const ArchiveOutcome thrown = extractArchive(lib, request("x.7z", "", "t"));
    EXPECT_FALSE(thrown.ok);
    EXPECT_EQ(thrown.error, "disk on fire");
}
