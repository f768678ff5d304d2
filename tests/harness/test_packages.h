// Setup packages built by quillpack for system tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qs::test {

struct PackageSpec {
    std::string script = "Comment(\"empty script\")\n";   // script source text
    std::map<std::string, std::string> supportFiles = {{"readme.txt", "Read me.\r\n"}};
    bool msi = true;                  // the demo's installer database as setup.msi
    bool msp = false;                 // a stand-in setup.msp
    std::string languageFile;         // message-table language file appended to yib.lib
    std::string extraDescription;     // more package-description lines, appended at the end
};

// Packs `spec` into a fresh folder named `name` under the scratch folder and returns that
// folder (it holds setup.exe, setup.res, yib.lib, ...). Fails the calling test by throwing
// std::runtime_error with quillpack's output when packing fails.
std::string buildPackage(const std::string& name, const PackageSpec& spec);

// The Windows temporary folder of the test prefix's user, as a Unix path.
std::string prefixTempDir();

// A trace log or other UTF-16LE text file, narrowed to ASCII (non-ASCII code units become '?').
std::string readUtf16File(const std::string& path);

std::string readBinaryFile(const std::string& path);

// The lines of a UTF-16LE trace log (see readUtf16File), without their CR LF.
std::vector<std::string> readTraceLines(const std::string& path);

// Whether `lines` holds `line` exactly.
bool hasLine(const std::vector<std::string>& lines, const std::string& line);

}  // namespace qs::test
