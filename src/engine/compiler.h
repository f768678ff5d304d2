// The compile pass: checks the script once before it runs, declares the variables the script
// writes, and builds the label table and the action state list.
//
// It runs against a variable store of its own making (it empties the store first) so that the
// "Variable not defined" checks see every variable the script could create; the interpreter
// empties the store again afterwards. Lines are visited in ascending order and the first
// failure ends the pass:
//   1. the fixed engine variables are declared empty;
//   2. blocks balance over the enabled lines ("If" and "Wizard Loop" open, "End" closes) and no
//      enabled "Label" sits inside a block; an unbalanced script fails at kUnbalancedBlocksLine;
//   3. label names are unique (disabled labels count);
//   4. "Set Variable" names flagged "$KYRU$KYRU$TRUE" are declared before the per-line checks;
//   5. the per-line checks and declarations of each enabled line (compiler.cpp has the table);
//   6. a wizard loop holds only "Display Dialog", "Comment" and "Ignore" lines.
//
// Reading a parameter past the end of the parameter list throws EngineError out of the pass.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "label_table.h"
#include "script_model.h"
#include "variable_manager.h"

namespace qs {

struct Engine;

// The failing line reported when "End" lines and block openers do not balance.
inline constexpr int kUnbalancedBlocksLine = 2147483644;

namespace compile_msg {
inline constexpr std::string_view Success = "Script compiled successfully";
inline constexpr std::string_view LabelNested = "LABEL statements cannot be nested inside loops/conditionals";
inline constexpr std::string_view InsufficientEnds = "Insufficient END statements";
inline constexpr std::string_view TooManyEnds = "Too many END statements";
inline constexpr std::string_view LabelRedefined = "LABEL re-defined: ";
inline constexpr std::string_view LabelUndefined = "LABEL undefined: ";
inline constexpr std::string_view WizardLoopContents =
    "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP";
inline constexpr std::string_view BlockNameIllegal = "Web Media Block name must be a legal file name";
inline constexpr std::string_view BlockNeedsUrl = "Web Media Block must have at least one download URL";
inline constexpr std::string_view VariableRequired = "Variable required";
inline constexpr std::string_view VariableNotDefined = "Variable not defined: ";
inline constexpr std::string_view ExpressionSyntax =
    "Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the correct syntax.";
inline constexpr std::string_view DialogNameMissing = "Dialog name not specified";
inline constexpr std::string_view DeleteModeMissing = "At least one delete mode must be selected";
inline constexpr std::string_view TargetFolderMissing =
    "A target folder must be specified for files that are being installed.\r"
    "The value $TARGETDIR$ represents the destination folder chosen by the user.";
}  // namespace compile_msg

// The marker that separates a "Set Variable" name from its early-declaration flag.
inline constexpr std::string_view kDeclareMarker = "$KYRU$KYRU$";

struct CompileResult {
    int failingLine = -1;  // -1 when the script is valid
    std::string message;   // compile_msg::Success when valid
    bool succeeded() const { return failingLine == -1; }
};

// Per line "SKIP", "FALSE" (a recorded command, not run yet) or "TRUE" (it has run).
using ActionStateList = std::vector<std::string>;

CompileResult compileScript(const ScriptModel& script, TVariableManager& store, LabelTable& labels,
                            ActionStateList& actionStates);
// Compiles the engine's script into its own store, label table and action state list.
CompileResult compileScript(Engine& engine);

}  // namespace qs
