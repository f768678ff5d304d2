#include "interpreter.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "bootstrap/support_folder.h"
#include "commands/text_file_commands.h"
#include "l10n/localization.h"
#include "compiler.h"
#include "condition.h"
#include "engine.h"
#include "engine_error.h"
#include "initial_variables.h"
#include "integer_text.h"
#include "variables.h"

namespace qs {

// A script that does not compile ends the process at once with this code, silently.
constexpr int kExitCompileFailed = 314;

namespace {

// How the current line was reached; "End", "Else" and "Else If" act on it.
enum Arrival { kByExecution, kBySkipToBranch, kBySkipToEnd };

constexpr std::string_view kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\";
constexpr std::string_view kCancelContext = "Cancel State";
constexpr std::string_view kRefreshContext = "Initialization";

bool isPassedOver(const ScriptModel& script, std::size_t line) {
    return script.isDisabled(line) || script.lineCommand(line) == command::Ignore;
}

// Block matching: from `from` on, the first "End" that closes the block the scan starts in,
// or with `branches` also the first "Else If" or "Else" of that block. Disabled and "Ignore"
// lines count for nothing. The line count when there is none.
std::size_t matchBlock(const ScriptModel& script, std::size_t from, bool branches) {
    const std::size_t count = script.lineCount();
    int depth = 0;
    for (std::size_t i = from; i < count; ++i) {
        if (isPassedOver(script, i)) continue;
        const std::string& name = script.lineCommand(i);
        if (name == command::If || name == command::WizardLoop) {
            ++depth;
        } else if (name == command::End) {
            if (--depth < 0) return i;
        } else if (branches && depth == 0 && (name == command::ElseIf || name == command::Else)) {
            return i;
        }
    }
    return count;
}

// The next enabled, non-"Ignore" "End" from `from` on; the line count when there is none.
std::size_t nextEnd(const ScriptModel& script, std::size_t from) {
    for (std::size_t i = from; i < script.lineCount(); ++i)
        if (!isPassedOver(script, i) && script.lineCommand(i) == command::End) return i;
    return script.lineCount();
}

// One step of a running wizard loop from the current line: the next dialog in the loop
// direction, or the loop's "End" when the loop is left (the leaving flag is then set).
std::size_t wizardLoopStep(const ScriptModel& script, FlowState& flow) {
    const std::size_t count = script.lineCount();
    const std::size_t current = flow.nextLine - 1;
    auto leaveAt = [&flow](std::size_t end) {
        flow.inWizardLoop = false;
        flow.leavingLoop = true;
        return end;
    };
    if (flow.loopDirection == 0) return leaveAt(nextEnd(script, current + 1));
    const long long step = flow.loopDirection > 0 ? 1 : -1;
    for (long long i = static_cast<long long>(current) + step; i >= 0 && i < static_cast<long long>(count); i += step) {
        const auto line = static_cast<std::size_t>(i);
        if (isPassedOver(script, line)) continue;
        const std::string& name = script.lineCommand(line);
        if (name == command::DisplayDialog) return line;
        if (name == command::End) return leaveAt(line);
        if (name == command::WizardLoop) return leaveAt(nextEnd(script, line + 1));
    }
    return count;
}

std::string fileTitleOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/:");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool singleInstanceWanted(const Engine& e) { return expandConstants(e, "#SINGLEINSTANCE#") == "TRUE"; }

// ---- Work of other subsystems that the interpreter calls at fixed points. Each is named for
// ---- what it will do; the subsystem that owns the work fills it in.

// Recorded installer properties (installer database edits): emptied when the run starts.
void clearRecordedProperties(Engine&) {}
// Recorded installer properties: the action property "A" + header of a recorded line.
void recordActionProperty(Engine&, const std::string& /*header*/, const std::string& /*value*/) {}
// Component table: emptied after the compile pass; the predefined component defined before
// the "Initialization" variables.
void clearComponentTable(Engine&) {}
void definePredefinedComponent(Engine&) {}
// Lifecycle: a patch run takes the installed instance's data from the uninstall entry of TITLE.
void loadInstalledInstanceForPatch(Engine&) {}
// Lifecycle: a changed OVERRIDECACHE moves the engine cache root (check that the folder can be
// created, run the bootstrap again, remove the folders created for the check).
void applyCacheOverride(Engine&) {}
// Languages: when LANGUAGE changed, load that language's translations and set LANGUAGE again.
void reloadLanguageWhenChanged(Engine& e) { l10n::reloadTranslations(e); }
// Lifecycle: UNINSTALLLINK and ENGINECACHE follow ALLUSERS.
void recomputeCacheLocations(Engine&) {}
// Exit cleanup of other subsystems: the dialogs and the main window, the tray icon; the
// taskbar's attention state before an error box.
void releaseDialogs(Engine&) {}
void hideTrayIcon(Engine&) {}
void showTaskbarAttention(Engine&) {}
// Runner: the web build's cached source folders and the installation state in the engine cache.
void removeCachedSourceFolders(Engine&) {}
void writeInstallationState(Engine&) {}
bool engineCacheDeleted(const Engine&) { return false; }

// ---- The interpreter's own steps.

void deleteResumeEntry(Engine& e) {
    // The value is named by the first eight hexadecimal digits of the product code (after its
    // brace). A shorter code names no entry; deleting the empty name would hit the key's
    // default value instead.
    const std::string& code = e.lists.productCode;
    if (code.size() < 9) return;
    const std::string name = code.substr(1, 8);
    for (auto root : {platform::RegistryRoot::CurrentUser, platform::RegistryRoot::LocalMachine})
        e.platform.registry.deleteValue(root, std::string(kRunOnceKey), name);
}

void refreshFromVariables(Engine& e) {
    e.trace.setPath(getVariable(e, "LOGGED"));
    e.options.silent = toBoolean(getVariable(e, "SILENT"));
    e.run.captionTitle = getVariable(e, "TITLE");
    e.run.logo = getVariable(e, "KYRULOGO") == "TRUE";
    applyCacheOverride(e);
    assignVariable(e, "DATE", e.platform.system.shortDateText(), kRefreshContext);
    assignVariable(e, "TIME", e.platform.system.longTimeText(), kRefreshContext);
    reloadLanguageWhenChanged(e);
    recomputeCacheLocations(e);
}

// While a page is shown, PROGRESSTEXT and PROGRESS go to its progress display when they changed.
void forwardProgress(Engine& e) {
    if (e.run.pageHandle == 0) return;
    FlowState& flow = e.run.flow;
    const std::string text = getVariable(e, "PROGRESSTEXT");
    const std::int32_t position = parseInt32(getVariable(e, "PROGRESS")).value_or(0);
    if (text == flow.lastProgressText && position == flow.lastProgress) return;
    flow.lastProgressText = text;
    flow.lastProgress = position;
    if (e.run.progress) e.run.progress(text, position, 100, 0);
    e.platform.windowMessages.processOne();
}

void exitCleanup(Engine& e) {
    if (!e.run.singleInstanceLock.empty()) {
        e.platform.files.deleteFile(e.run.singleInstanceLock);
        e.run.singleInstanceLock.clear();
    }
    commands::closeReadingFile(e);
    releaseDialogs(e);
    e.labels.clear();
    hideTrayIcon(e);
}

void reportRuntimeError(Engine& e, std::size_t line, const std::string& message) {
    if (e.options.silent) return;
    showTaskbarAttention(e);
    e.platform.messageBoxes.show(0, runtimeErrorText(e, line, message), e.setupCaption(),
                                 platform::MessageBoxes::kOk | platform::MessageBoxes::kIconError);
}

// The setup medium was removed while the script ran: the engine cannot return into its own
// image, so it finishes the shutdown here and ends the process.
void exitWhenMediumRemoved(Engine& e) {
    const std::string exeDir = getVariable(e, "EXEDIR");
    if (exeDir.empty()) return;
    auto& files = e.platform.files;
    if (files.driveType(exeDir) == platform::DriveType::Fixed || files.directoryExists(exeDir)) return;
    writeInstallationState(e);
    e.trace.line("  </RunScript>");
    e.trace.line("  <Free>");
    e.trace.line("  </Free>");
    e.trace.line("  <CachedSupportDir>");
    bootstrap::removeSupportFolder(files, e.supportFolder);
    e.trace.line("  </CachedSupportDir>");
    e.trace.line("  <RemovableMediaPrematureEject>");
    e.trace.line("  </RemovableMediaPrematureEject>");
    e.trace.line("</Quillset>");
    e.platform.process.exitNow(e.exitCode);
}

void scriptEnd(Engine& e) {
    e.trace.line("    </kyru>");
    e.trace.line("    <ExitScript>");
    exitCleanup(e);
    e.trace.line("    </ExitScript>");
    exitWhenMediumRemoved(e);
}

}  // namespace

std::string runtimeErrorText(const Engine& e, std::size_t line, const std::string& message) {
    const SourcePosition position = e.script.sourcePosition(line);
    return e.messages.text(l10n::msg::RuntimeErrorInScript) + "\r\r" + "Source File: " + fileTitleOf(position.file) +
           "\r" + "Line Number: " + std::to_string(static_cast<long long>(position.line) + 1) + "\r\r" + message;
}

Interpreter::Interpreter() : commands_(standardCommands()) {}

Interpreter::Interpreter(CommandTable commands) : commands_(std::move(commands)) {}

void Interpreter::run(Engine& e) {
    interpret(e);
    if (equalsIgnoreCase(expandConstants(e, "#CACHESOURCES#"), "FALSE") && e.lists.buildMode == 2)
        removeCachedSourceFolders(e);
    if (!engineCacheDeleted(e)) writeInstallationState(e);
}

void Interpreter::interpret(Engine& e) {
    if (!prepare(e)) return;
    e.run.endRequested = false;
    mainLoop(e);
}

// Preparation; false when the run ends before its first line.
bool Interpreter::prepare(Engine& e) {
    auto& files = e.platform.files;

    e.trace.line("    <Variables>");
    clearRecordedProperties(e);
    e.installerPlatform.platform = installer::InstallerPlatform::Win32;
    e.run.rootFolder = e.engineFolder;
    e.trace.line("    </Variables>");

    e.trace.line("    <CompileScript>");
    e.script = ScriptModel(e.lists);
    if (!compileScript(e).succeeded()) e.platform.process.exitNow(kExitCompileFailed);
    e.trace.line("    </CompileScript>");

    e.variables.clear();
    clearComponentTable(e);
    createProgressVariables(e);
    createPreInitialization(e);

    e.trace.line("    <BootStrap>");
    runBootstrap(e);
    e.trace.line("    </BootStrap>");

    e.run.flow = FlowState();
    buildLabelTable(e.script, e.labels);

    const std::string patchFile = e.supportFolder + e.engineBaseName + ".msp";
    if (!files.fileExists(e.msiFile()) && !files.fileExists(patchFile)) return false;

    if (singleInstanceWanted(e)) {
        const std::string lock = e.temporaryFolder + e.lists.packageCode + ".yib";
        if (files.fileExists(lock)) return false;  // another run holds it
        files.writeFile(lock, "");
        e.run.singleInstanceLock = lock;
    }

    try {
        e.trace.line("    <kyru>");
        definePredefinedComponent(e);
        createInitialization(e);
        if (files.fileExists(patchFile)) loadInstalledInstanceForPatch(e);
        deleteResumeEntry(e);
        for (std::size_t line = 0; line < e.script.lineCount(); ++line) {
            const std::string header = e.script.commandHeader(line, true);
            if (!header.empty()) recordActionProperty(e, header, "FALSE");
        }
        if (!selectLanguage(e)) {
            // The language dialog was cancelled: clean up and end without running a line.
            exitCleanup(e);
            return false;
        }
        injectCommandLineOverrides(e);
    } catch (...) {
        // The run ends here; a lock left behind would keep every later run from starting.
        if (!e.run.singleInstanceLock.empty()) files.deleteFile(e.run.singleInstanceLock);
        e.run.singleInstanceLock.clear();
        throw;
    }
    return true;
}

void Interpreter::mainLoop(Engine& e) {
    const ScriptModel& script = e.script;
    FlowState& flow = e.run.flow;
    const std::size_t count = script.lineCount();
    while (flow.nextLine < count) {
        std::size_t current = flow.nextLine == 0 ? 0 : flow.nextLine - 1;
        try {
            if (flow.nextLine % kMessagePumpInterval == 0) e.platform.windowMessages.processPending();
            refreshFromVariables(e);

            Arrival arrival = kByExecution;
            std::size_t line;
            if (flow.skipToBranch) {
                line = matchBlock(script, flow.nextLine, true);
                flow.skipToBranch = false;
                arrival = kBySkipToBranch;
            } else if (flow.skipToEnd) {
                line = matchBlock(script, flow.nextLine, false);
                flow.skipToEnd = false;
                arrival = kBySkipToEnd;
            } else if (flow.inWizardLoop) {
                line = wizardLoopStep(script, flow);
            } else {
                line = flow.nextLine;
                while (line < count && isPassedOver(script, line)) ++line;
            }
            if (line >= count) {
                flow.nextLine = count;
                break;
            }
            flow.nextLine = line + 1;
            current = line;
            if (script.isDisabled(line)) continue;
            flow.currentCommand = script.lineCommand(line);

            assignVariable(e, "ABORT", fromBoolean(toBoolean(getVariable(e, "KYRU_IsCancelled"))), kCancelContext);
            forwardProgress(e);
            dispatch(e, line, arrival);
            if (e.run.endRequested) break;
        } catch (const std::exception& error) {
            // The script ends here: no further line, no script-end trace, the exit code as it is.
            reportRuntimeError(e, current, error.what());
            exitCleanup(e);
            return;
        }
    }
    scriptEnd(e);
}

void Interpreter::dispatch(Engine& e, std::size_t line, int arrival) {
    FlowState& flow = e.run.flow;
    const std::string& name = flow.currentCommand;
    const int index = static_cast<int>(line);

    // The package's plug-in commands go first, whatever their names. Running a plug-in library
    // on its worker thread is not built yet: until then such a line does nothing.
    const auto& plugins = e.lists.pluginList;
    if (std::find(plugins.begin(), plugins.end(), name) != plugins.end()) return;

    auto evaluateIf = [&] {
        if (evaluateCondition(e, index)) ++flow.openBranches;
        else flow.skipToBranch = true;
    };

    if (name == command::End) {
        if (arrival == kBySkipToEnd) {
            flow.openBranches = std::max(0, flow.openBranches - 1);
        } else if (arrival == kByExecution) {
            if (flow.leavingLoop) flow.leavingLoop = false;
            else if (flow.openBranches > 0) --flow.openBranches;
        }
    } else if (name == command::Else) {
        if (arrival == kBySkipToBranch) ++flow.openBranches;
        else flow.skipToEnd = true;
    } else if (name == command::ElseIf) {
        if (arrival == kByExecution && flow.openBranches > 0) flow.skipToEnd = true;
        else evaluateIf();
    } else if (name == command::If) {
        evaluateIf();
    } else if (name == command::WizardLoop) {
        flow.inWizardLoop = true;
        flow.loopDirection = 1;
    } else if (name == command::GoToLabel) {
        const std::string& label = e.script.lineParameter(line, 1);
        const auto target = e.labels.find(toUpperAscii(label));
        if (!target) throw EngineError(std::string(compile_msg::LabelUndefined) + label);
        flow.nextLine = *target;
        flow.openBranches = 0;
        flow.skipToBranch = flow.skipToEnd = flow.inWizardLoop = flow.leavingLoop = false;
    } else if (CommandHandler handler = commands_.find(name)) {
        const bool dialog = name == command::DisplayDialog;
        if (dialog) e.run.dialogResult.clear();
        handler(e, index);
        if (dialog && flow.inWizardLoop) {
            const std::string& result = e.run.dialogResult;
            if (result == "NEXT") flow.loopDirection = 1;
            else if (result == "BACK") flow.loopDirection = -1;
            else if (result == "CANCEL") flow.loopDirection = 0;
        }
    }
    // "Comment", "Ignore", "Label" and names without a handler do nothing.
}

}  // namespace qs
