// An engine over the fake platform with a support folder, for the language tests.
#pragma once

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/variables.h"
#include "fake_platform.h"
#include "l10n/language_dialog.h"
#include "script_builder.h"

namespace qs::test {

// Records what the dialog was asked to show and answers as told.
class RecordingLanguageDialog final : public l10n::LanguageDialog {
public:
    std::vector<l10n::LanguageDialogRequest> shown;
    std::optional<std::size_t> answer;  // nothing: the user cancels
    bool answerPreselection = true;
    std::optional<std::size_t> choose(const l10n::LanguageDialogRequest& request) override {
        shown.push_back(request);
        return answerPreselection ? std::optional<std::size_t>(request.preselected) : answer;
    }
};

struct L10nFixture {
    static constexpr const char* kSupport = "C:\\Temp\\sup\\";
    FakePlatform fakes;
    Engine engine{fakes.platform};
    RecordingLanguageDialog dialog;

    L10nFixture() {
        engine.supportFolder = kSupport;
        engine.engineBaseName = "setup";
        engine.lists.productTitle = "Test Product";
        engine.languageDialog = &dialog;
        fakes.files.createDirectoryTree(kSupport);
    }
    // A support file, listed under the name as written.
    void supportFile(const std::string& name, const std::string& content) {
        const std::string path = std::string(kSupport) + name;
        fakes.files.addFile(path, content);
        fakes.files.storedNames[foldPath(path)] = name;
    }
    void set(const std::string& name, const std::string& value) { engine.variables.set(name, value); }
    std::string get(const std::string& name) { return getVariable(engine, name); }
};

// Lines joined with CR LF, each ended by one.
inline std::string linesOf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

}  // namespace qs::test
