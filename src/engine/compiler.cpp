#include "compiler.h"

#include <array>
#include <optional>
#include <unordered_map>

#include "engine.h"
#include "expression.h"
#include "variables.h"

namespace qs {
namespace {

// Engine variables every script may read; declared before any check.
constexpr std::array<std::string_view, 60> kCompileTimeVariables = {
    "KYRU_COMPRESSCACHE", "KYRU_DISABLEROLLBACK", "KYRU_DISABLEVISTARESTARTMANAGER", "IISHOST", "OVERRIDECACHE",
    "KYRULOGO", "TIME", "DATE", "NEWINSTANCE", "SELECTED", "WINDOWHANDLE", "EXEDIR", "EXEFILE", "UNINSTALLLINK",
    "ENGINECACHE", "COPYWEBLOCK", "ABORT", "SILENT", "LOGGED", "CMDLINE", "REBOOTNOW", "SFXPATH", "SFXFILE",
    "LASTERROR", "PROGRESSMODE", "PROGRESSTEXT", "PROGRESS", "LICENSE", "USERNAME", "USERCOMPANY",
    "REBOOTCOMPUTER", "RUNAPP", "WIZARD", "VERSION", "TARGETDIR", "STARTMENU", "ADVERTISE", "ALLUSERS",
    "COMPLETE", "MINIMUM", "PERSONALIZED", "MODIFY", "REPAIR", "REMOVE", "DATADIR", "PRODUCTCODE",
    "REVISIONCODE", "ROOTDIR", "MAINTENANCE", "NEWLINE", "NEEDSUPGRADE", "TITLE", "COMPANY", "TEMPDIR",
    "SUPPORTDIR", "MSIFILE", "LANGUAGE", "ABORTONERROR", "ABORTEDONERROR", "SAVEDATA"};

struct Failure {
    std::size_t line;
    std::string message;
};

class Pass {
public:
    Pass(const ScriptModel& script, TVariableManager& store) : script_(script), store_(store) {}

    const std::string& param(std::size_t line, std::size_t n) const { return script_.lineParameter(line, n); }

    // Declares the upper-cased name empty unless it exists; an empty name declares nothing.
    void declare(std::string_view name) {
        if (!name.empty()) store_.addIfMissing(toUpperAscii(name), "");
    }
    void declareParam(std::size_t line, std::size_t n) { declare(param(line, n)); }

    const TVariableManager& store() const { return store_; }
    const LabelTable* labels = nullptr;

private:
    const ScriptModel& script_;
    TVariableManager& store_;
};

using Check = std::optional<std::string> (*)(Pass&, std::size_t line);

struct Rule {
    std::array<int, 2> declared{0, 0};  // parameters declared before the check (0: none)
    Check check = nullptr;
    bool recorded = false;  // action state "FALSE"
};

std::optional<std::string> fail(std::string_view message, std::string_view detail = {}) {
    return std::string(message) + std::string(detail);
}

std::string_view withoutDeclareMarker(std::string_view name) {
    const std::size_t marker = name.find(kDeclareMarker);
    return marker == std::string_view::npos ? name : name.substr(0, marker);
}

std::optional<std::string> checkWebMediaBlock(Pass& pass, std::size_t line) {
    const std::string& name = pass.param(line, 1);
    const std::string& urls = pass.param(line, 2);
    if (!name.empty() && urls.empty()) return fail(compile_msg::BlockNeedsUrl);
    const std::size_t cut = name.find_last_of("\\:");
    const std::string_view file = cut == std::string::npos ? std::string_view(name) : std::string_view(name).substr(cut + 1);
    if (file.find_first_of("/*?\"<>|") != std::string_view::npos) return fail(compile_msg::BlockNameIllegal);
    return std::nullopt;
}

std::optional<std::string> declareSetVariable(Pass& pass, std::size_t line) {
    pass.declare(withoutDeclareMarker(pass.param(line, 1)));
    return std::nullopt;
}

std::optional<std::string> declareIisProperty(Pass& pass, std::size_t line) {
    pass.declare(referenceName(pass.param(line, 6)));
    return std::nullopt;
}

template <int N>
std::optional<std::string> requireVariableName(Pass& pass, std::size_t line) {
    const std::string& name = pass.param(line, N);
    if (name.empty()) return fail(compile_msg::VariableRequired);
    pass.declare(name);
    return std::nullopt;
}

std::optional<std::string> checkExpression(Pass& pass, std::size_t line) {
    if (!expressionCompiles(pass.param(line, 1))) return fail(compile_msg::ExpressionSyntax);
    return std::nullopt;
}

std::optional<std::string> requireExistingVariable(Pass& pass, std::size_t line) {
    const std::string& name = pass.param(line, 1);
    if (!pass.store().exists(name)) return fail(compile_msg::VariableNotDefined, name);
    return std::nullopt;
}

std::optional<std::string> checkCondition(Pass& pass, std::size_t line) {
    const std::string& subject = pass.param(line, 1);
    if (subject.empty()) return fail(compile_msg::VariableRequired);
    const std::string& comparand = pass.param(line, 3);
    if (!isVariableReferenceDefined(pass.store(), comparand, true))
        return fail(compile_msg::VariableNotDefined, comparand);
    if (!isVariableReferenceDefined(pass.store(), subject, false))
        return fail(compile_msg::VariableNotDefined, subject);
    return std::nullopt;
}

std::optional<std::string> checkDisplayDialog(Pass& pass, std::size_t line) {
    if (pass.param(line, 1).empty()) return fail(compile_msg::DialogNameMissing);
    pass.declareParam(line, 2);
    const std::string& bound = pass.param(line, 4);
    if (!bound.empty() && !isVariableReferenceDefined(pass.store(), bound, false))
        return fail(compile_msg::VariableNotDefined, bound);
    return std::nullopt;
}

std::optional<std::string> checkGoTo(Pass& pass, std::size_t line) {
    const std::string& name = pass.param(line, 1);
    if (!pass.labels->contains(name)) return fail(compile_msg::LabelUndefined, name);
    return std::nullopt;
}

std::optional<std::string> checkDeleteFiles(Pass& pass, std::size_t line) {
    if (!toBoolean(pass.param(line, 3)) && !toBoolean(pass.param(line, 4))) return fail(compile_msg::DeleteModeMissing);
    return std::nullopt;
}

std::optional<std::string> checkInstallFiles(Pass& pass, std::size_t line) {
    if (pass.param(line, 3).empty()) return fail(compile_msg::TargetFolderMissing);
    return std::nullopt;
}

const std::unordered_map<std::string_view, Rule>& rules() {
    static const std::unordered_map<std::string_view, Rule> table = [] {
        std::unordered_map<std::string_view, Rule> t;
        for (std::string_view c : {"Get Folder Location", "Get INI File Settings", "Check File Version",
                                   "Get System Settings", "Get OS or SP Level", "Read Registry", "Check Registry",
                                   "Does File/Folder Exist", "Get IIS Site List", "Get Temporary File",
                                   "Localization Variable", "Apply Patch", "IIS Anonymous User"})
            t[c] = {{1, 0}};
        for (std::string_view c : {"Run Light Mode Setup", "Get IIS Site Index", "Get Environment", "Get File Version",
                                   "Apply Changes", "Check Process", "Get Component State", "Get Component Space"})
            t[c] = {{2, 0}};
        for (std::string_view c : {"Extract 7Zip Archive", "Register Library", "Check Service"}) t[c] = {{3, 0}};
        for (std::string_view c : {"Convert Path", "Convert Case", "Extract Path", "Replace String"})
            t[c] = {{0, 0}, requireExistingVariable};
        for (std::string_view c : {"Delete Files", "Copy/Move Local Files", "Create Folder", "Create Shortcut",
                                   "Advertised Shortcut", "Edit INI File", "Install Files", "Install Assembly",
                                   "Set Environment", "Install Service", "Install ODBC Driver", "Create ODBC DSN",
                                   "Control Service", "Write Registry", "Create File Type", "Advertised File Type"})
            t[c] = {{0, 0}, nullptr, true};
        t["Delete Files"].check = checkDeleteFiles;
        t["Install Files"].check = checkInstallFiles;
        t["Web Media Block"] = {{0, 0}, checkWebMediaBlock};
        t["Set Variable"] = {{0, 0}, declareSetVariable};
        t["Mathematics"] = {{4, 0}};
        t["Run Program"] = {{5, 0}};
        t["MessageBox"] = {{5, 0}};
        t["Get IIS Property"] = {{0, 0}, declareIisProperty};
        t["Run Program As"] = {{8, 0}};
        t["Read from Text File"] = {{2, 3}};
        t["Parse String"] = {{3, 4}};
        t["Is MSI Setup Installed"] = {{0, 0}, requireVariableName<2>};
        t["Check Disk Space"] = {{0, 0}, requireVariableName<1>};
        t["Find All Files"] = {{0, 0}, requireVariableName<4>};
        t["Evaluate Expression"] = {{2, 0}, checkExpression};
        t["If"] = {{0, 0}, checkCondition};
        t["Else If"] = {{0, 0}, checkCondition};
        t["Display Dialog"] = {{0, 0}, checkDisplayDialog};
        t["GoTo Label"] = {{0, 0}, checkGoTo};
        return t;
    }();
    return table;
}

bool isOpener(const std::string& command) { return command == "If" || command == "Wizard Loop"; }

std::optional<Failure> checkBlocks(const ScriptModel& script) {
    long openers = 0;
    long ends = 0;
    long depth = 0;
    for (std::size_t line = 0; line < script.lineCount(); ++line) {
        if (script.isDisabled(line)) continue;
        const std::string& command = script.lineCommand(line);
        if (isOpener(command)) {
            ++openers;
            ++depth;
        } else if (command == "End") {
            ++ends;
            --depth;
        } else if (command == "Label" && depth != 0) {
            return Failure{line, std::string(compile_msg::LabelNested)};
        }
    }
    if (ends < openers) return Failure{kUnbalancedBlocksLine, std::string(compile_msg::InsufficientEnds)};
    if (ends > openers) return Failure{kUnbalancedBlocksLine, std::string(compile_msg::TooManyEnds)};
    return std::nullopt;
}

std::optional<Failure> collectLabels(const ScriptModel& script, LabelTable& labels) {
    for (std::size_t line = 0; line < script.lineCount(); ++line) {
        if (script.lineCommand(line) != "Label") continue;
        const std::string& name = script.lineParameter(line, 1);
        if (!labels.add(name, line)) return Failure{line, std::string(compile_msg::LabelRedefined) + name};
    }
    return std::nullopt;
}

void declareEarly(const ScriptModel& script, Pass& pass) {
    for (std::size_t line = 0; line < script.lineCount(); ++line) {
        if (script.lineCommand(line) != "Set Variable") continue;
        const std::string& name = script.lineParameter(line, 1);
        const std::size_t marker = name.find(kDeclareMarker);
        if (marker == std::string::npos) continue;
        if (std::string_view(name).substr(marker + kDeclareMarker.size()) == "TRUE")
            pass.declare(std::string_view(name).substr(0, marker));
    }
}

std::optional<Failure> checkLines(const ScriptModel& script, Pass& pass, ActionStateList& actionStates) {
    const auto& table = rules();
    for (std::size_t line = 0; line < script.lineCount(); ++line) {
        actionStates.emplace_back("SKIP");
        if (script.isDisabled(line)) continue;
        auto it = table.find(script.lineCommand(line));
        if (it == table.end()) continue;
        const Rule& rule = it->second;
        for (int n : rule.declared)
            if (n != 0) pass.declareParam(line, static_cast<std::size_t>(n));
        if (rule.check) {
            if (std::optional<std::string> message = rule.check(pass, line)) return Failure{line, std::move(*message)};
        }
        if (rule.recorded) actionStates.back() = "FALSE";
    }
    return std::nullopt;
}

std::optional<Failure> checkWizardLoops(const ScriptModel& script) {
    bool inLoop = false;
    for (std::size_t line = 0; line < script.lineCount(); ++line) {
        const std::string& command = script.lineCommand(line);
        if (!inLoop) {
            inLoop = command == "Wizard Loop";
            continue;
        }
        if (command == "End") {
            inLoop = false;
            continue;
        }
        if (script.isDisabled(line)) continue;
        if (command != "Display Dialog" && command != "Comment" && command != "Ignore")
            return Failure{line, std::string(compile_msg::WizardLoopContents)};
    }
    return std::nullopt;
}

}  // namespace

void buildLabelTable(const ScriptModel& script, LabelTable& labels) {
    labels.clear();
    for (std::size_t line = 0; line < script.lineCount(); ++line)
        if (script.lineCommand(line) == "Label") labels.add(script.lineParameter(line, 1), line);
}

CompileResult compileScript(const ScriptModel& script, TVariableManager& store, LabelTable& labels,
                            ActionStateList& actionStates) {
    labels.clear();
    actionStates.clear();
    store.clear();
    actionStates.reserve(script.lineCount());

    Pass pass(script, store);
    pass.labels = &labels;
    for (std::string_view name : kCompileTimeVariables) store.add(name, "");

    std::optional<Failure> failure = checkBlocks(script);
    if (!failure) failure = collectLabels(script, labels);
    if (!failure) {
        declareEarly(script, pass);
        failure = checkLines(script, pass, actionStates);
    }
    if (!failure) failure = checkWizardLoops(script);
    if (failure) return {static_cast<int>(failure->line), std::move(failure->message)};
    return {-1, std::string(compile_msg::Success)};
}

CompileResult compileScript(Engine& engine) {
    return compileScript(engine.script, engine.variables, engine.labels, engine.actionStates);
}

}  // namespace qs
