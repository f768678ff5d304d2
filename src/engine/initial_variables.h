// The variables that exist before the first script line runs, created in phases. The
// interpreter empties the store after the compile pass and then calls the phases in this
// order, with its own preparation steps in between (see createInitialVariables):
//
//   createProgressVariables        the worker progress protocol (plain adds)
//   createPreInitialization        TARGETDIR, STARTMENU, ALLUSERS          context "Pre-Initialization"
//   runBootstrap                   product identity and maintenance state  context "Bootstrap"
//   createInitialization           the engine's predefined variables       context "Initialization"
//   selectLanguage                 LANGUAGE and the translation map
//   injectCommandLineOverrides     NAME=VALUE of the command line          kOverrideContext
#pragma once

namespace qs {

struct Engine;

// KYRU_thProgress, KYRU_thMin "0", KYRU_thMax "100", KYRU_thProgressText empty, the finished and
// cancelled flags "FALSE", and both activity ticks at the current tick count.
void createProgressVariables(Engine& engine);

// TARGETDIR empty (the bootstrap sets the default folder), STARTMENU the product title, and
// ALLUSERS "TRUE" only on the NT family with administrator rights.
void createPreInitialization(Engine& engine);

// Detects the installed instance and sets PRODUCTCODE, REVISIONCODE, UNINSTALLLINK, ENGINECACHE,
// DATADIR, NEEDSUPGRADE, MAINTENANCE and, for a first install, the defaults of TARGETDIR,
// STARTMENU and ALLUSERS.
// Not done yet: the engine cache and maintenance detection are not built, so this sets nothing
// and the Pre-Initialization values stand.
void runBootstrap(Engine& engine);

// The "Initialization" table: engine folders and files, command-line values, product texts,
// registered user and company, date and time, result flags.
void createInitialization(Engine& engine);

// Creates LANGUAGE empty, then chooses the start-up language (default language, language
// dialog, remembered language; see l10n/language_selection.h) and installs the parameter
// translation of the command library. The translation map itself is loaded before the first
// line that sees the language (l10n::reloadTranslations).
// Returns false when the user cancelled the language dialog: the run then ends at once,
// without executing a line.
bool selectLanguage(Engine& engine);

// Declares or assigns every NAME=VALUE pair of the command line, in order, with the override
// context, so the values stand against the script in silent mode.
void injectCommandLineOverrides(Engine& engine);

// All phases above in order, for an interpreter that has no steps of its own between them.
void createInitialVariables(Engine& engine);

}  // namespace qs
