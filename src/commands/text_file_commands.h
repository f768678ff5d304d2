// "Read from Text File" and "Write to Text File": lines move between text files and variables.
//
// Reading keeps one current reading file across lines (engine.commands.readingFile): a line
// naming the same path (ignoring case) continues where the previous one stopped; another path
// closes it and opens the new one. The file is forgotten at its end, when a read fails, and at
// script end (closeReadingFile). Writing to the current reading file closes its handle but
// keeps the path, so the next read of it fails: the flag becomes "TRUE" and the file is
// forgotten, and the read after that starts at the first line again.
//
// Lines end at CR LF, LF or a lone CR. Files are read and written as bytes (ANSI text).
#pragma once

#include <string>
#include <vector>

namespace qs {
struct Engine;
}

namespace qs::commands {

void readFromTextFileCommand(Engine& engine, int line);
void writeToTextFileCommand(Engine& engine, int line);

// Closes and forgets the current reading file; the interpreter calls it when the script ends.
void closeReadingFile(Engine& engine);

// The lines of a text (the break after the last line does not start another line).
std::vector<std::string> splitLines(const std::string& text);

}  // namespace qs::commands
