#include "initial_variables.h"

#include <string>
#include <string_view>

#include "engine.h"
#include "l10n/language_selection.h"
#include "l10n/localization.h"
#include "variables.h"

namespace qs {
namespace {

constexpr std::string_view kPreInitialization = "Pre-Initialization";
constexpr std::string_view kInitialization = "Initialization";

// The folder part of a path with its trailing backslash; empty when the path has none.
std::string folderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string fileNameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string registeredValue(Engine& e, const char* name) {
    const char* key = e.windows.platformId == 2 ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
                                                : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
    return e.platform.registry.readString(platform::RegistryRoot::LocalMachine, key, name).value_or("");
}

}  // namespace

void createProgressVariables(Engine& e) {
    auto& store = e.variables;
    store.add("KYRU_thProgress", "0");
    store.add("KYRU_thMin", "0");
    store.add("KYRU_thMax", "100");
    store.add("KYRU_thProgressText", "");
    store.add("KYRU_thFinished", "FALSE");
    store.add("KYRU_thCancelled", "FALSE");
    store.add("KYRU_IsCancelled", "FALSE");
    const std::string tick = std::to_string(e.platform.process.tickCount());
    store.add("KYRU_LastDelegateTick", tick);
    store.add("KYRU_LastActiveTick", tick);
}

void createPreInitialization(Engine& e) {
    declareVariable(e, "TARGETDIR", "", kPreInitialization);
    declareVariable(e, "STARTMENU", e.lists.productTitle, kPreInitialization);
    const bool administrator = e.windows.platformId == 2 && e.platform.system.isAdministrator();
    declareVariable(e, "ALLUSERS", fromBoolean(administrator), kPreInitialization);
}

void runBootstrap(Engine&) {}

void createInitialization(Engine& e) {
    auto set = [&e](std::string_view name, const std::string& value) {
        declareVariable(e, name, value, kInitialization);
    };
    set("KYRU_COMPRESS_INSTALLER_CACHE", "TRUE");
    set("KYRU_DISABLE_ROLLBACK", "FALSE");
    set("KYRU_DISABLE_VISTA_RESTART_MANAGER", "FALSE");
    set("IISHOST", "localhost");
    if (!e.variables.exists("OVERRIDECACHE")) set("OVERRIDECACHE", "");
    for (const char* name : {"KYRULOGO", "PROGRESSTEXT", "PROGRESSMODE", "LASTERROR", "COPYWEBLOCK"}) set(name, "");
    for (const char* name : {"SELECTED", "WINDOWHANDLE", "PROGRESS"}) set(name, "0");
    set("EXEFILE", e.engineFile);
    set("EXEDIR", e.engineFolder);
    set("ROOTDIR", e.engineFolder);
    for (const char* name : {"ABORT", "LICENSE", "REBOOTCOMPUTER", "MINIMUM", "PERSONALIZED", "REPAIR", "REMOVE",
                             "ADVERTISE", "ABORTEDONERROR", "SAVEDATA"})
        set(name, "FALSE");
    for (const char* name : {"RUNAPP", "COMPLETE", "MODIFY", "ABORTONERROR"}) set(name, "TRUE");
    set("USERNAME", registeredValue(e, "RegisteredOwner"));
    set("USERCOMPANY", registeredValue(e, "RegisteredOrganization"));
    set("WIZARD", "NEXT");
    set("VERSION", e.lists.productVersion);
    set("SILENT", fromBoolean(e.options.silent));
    set("LOGGED", e.options.logPath);
    set("CMDLINE", e.commandLineTail);
    set("REBOOTNOW", "OK");
    set("SFXPATH", folderOf(e.options.wrapperPath));
    set("SFXFILE", fileNameOf(e.options.wrapperPath));
    set("GPOPATH", folderOf(e.options.policyPath));
    set("NEWLINE", "\r\n");
    set("TITLE", e.lists.productTitle);
    set("COMPANY", e.lists.company);
    set("DATE", e.platform.system.shortDateText());
    set("TIME", e.platform.system.longTimeText());
    set("TEMPDIR", e.temporaryFolder);
    set("SUPPORTDIR", e.supportFolder);
    set("MSIFILE", e.msiFile());
    set("LANGUAGE", "");
}

bool selectLanguage(Engine& e) {
    e.commands.translate = [&e](const std::string& text, const std::string& key, int field) {
        return l10n::translate(e, text, key, field);
    };
    return l10n::selectStartupLanguage(e) == l10n::LanguageChoice::Made;
}

void injectCommandLineOverrides(Engine& e) {
    const auto& pairs = e.options.overrides;
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
        declareVariable(e, toUpperAscii(pairs[i]), pairs[i + 1], kOverrideContext);
}

void createInitialVariables(Engine& e) {
    createProgressVariables(e);
    createPreInitialization(e);
    runBootstrap(e);
    createInitialization(e);
    selectLanguage(e);
    injectCommandLineOverrides(e);
}

}  // namespace qs
