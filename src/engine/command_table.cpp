#include "command_table.h"

#include "commands/expression_commands.h"
#include "commands/string_commands.h"
#include "commands/text_file_commands.h"
#include "installer/installer_platform.h"
#include "l10n/localization.h"
#include "mathematics.h"

namespace qs {

// The command groups add their handlers here as they are built; a name missing from the table
// is run as a line without effect.
CommandTable standardCommands() {
    CommandTable table;
    table.add("Evaluate Expression", evaluateExpressionCommand);
    table.add("Mathematics", mathematicsCommand);
    table.add("Set 64 Bit Mode", installer::set64BitModeCommand);

    table.add("Set Variable", commands::setVariableCommand);
    table.add("Get Temporary File", commands::getTemporaryFileCommand);
    table.add("Convert Path", commands::convertPathCommand);
    table.add("Convert Case", commands::convertCaseCommand);
    table.add("Replace String", commands::replaceStringCommand);
    table.add("Extract Path", commands::extractPathCommand);
    table.add("Parse String", commands::parseStringCommand);
    table.add("Read from Text File", commands::readFromTextFileCommand);
    table.add("Write to Text File", commands::writeToTextFileCommand);

    table.add("Localization Variable", l10n::localizationVariableCommand);
    return table;
}

}  // namespace qs
