// The one engine state of a run: everything the subsystems share, passed explicitly.
#pragma once

#include <string>

#include "bootstrap/command_line.h"
#include "bootstrap/global_lists.h"
#include "bootstrap/trace_log.h"
#include "commands/command_state.h"
#include "engine/compiler.h"
#include "engine/flow_state.h"
#include "engine/label_table.h"
#include "engine/mathematics.h"
#include "engine/script_model.h"
#include "engine/variable_manager.h"
#include "installer/installer_platform.h"
#include "l10n/language_dialog.h"
#include "l10n/localization.h"
#include "l10n/message_table.h"
#include "platform/platform.h"

namespace qs {

struct Engine {
    explicit Engine(platform::Platform& p)
        : platform(p), trace(p.files, p.encoding, p.system.windowsVersion().platformId == 2) {}

    platform::Platform& platform;
    bootstrap::TraceLog trace;
    l10n::MessageTable messages;
    l10n::Localization localization;  // current language and its translation map
    l10n::LanguageDialog* languageDialog = nullptr;  // shows the start-up language choice; none: preselection

    // Established at start-up.
    platform::WindowsVersion windows;
    std::string engineFolder;     // ends with a backslash
    std::string engineFile;       // full path of the engine executable
    std::string engineBaseName;   // file name without folder and extension
    std::string temporaryFolder;  // ends with a backslash
    std::string resourceArchive;  // engine folder + base name + ".res"
    std::string commandLineTail;
    bootstrap::CommandLineOptions options;

    // The package.
    GlobalLists lists;
    std::string supportFolder;         // empty until created; ends with a backslash
    std::string dataFolder;            // engine folder + "data\"
    std::string unpackedMediaFolder;   // engine folder + "data\"

    // The script run.
    TVariableManager variables;   // the variable store shared with worker threads
    ScriptModel script;           // lines and parameters of `lists`; built before compiling
    LabelTable labels;            // "Label" lines by name
    ActionStateList actionStates; // per line "SKIP", "FALSE" or "TRUE"
    MathRandomState random;       // the generator of "Mathematics", kept for the whole run
    installer::InstallerPlatformState installerPlatform;  // "Set 64 Bit Mode" and redirection
    commands::CommandState commands;  // reading file, saved variables, translate/progress hooks
    RunState run;                 // the interpreter's flow and the values it keeps for the others

    int exitCode = 0;

    // The script's MSIFILE: support folder + engine base name + ".msi".
    std::string msiFile() const { return supportFolder + engineBaseName + ".msi"; }
    // The caption of the engine's own message boxes, from TITLE and KYRULOGO as the interpreter
    // last read them: with the logo switch the title alone, else the title (when there is one)
    // followed by " - Quillset Wizard".
    std::string setupCaption() const {
        if (run.logo) return run.captionTitle;
        if (!run.captionTitle.empty()) return run.captionTitle + " - Quillset Wizard";
        return "Quillset Wizard";
    }
};

}  // namespace qs
