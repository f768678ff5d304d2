// The package description: what goes into a setup package besides the script.
//
// An INI-like text file (docs/script-format.md, "Package description"):
//
//   [package]
//   name = setup                  # engine base name: setup.exe, setup.res, setup.msi
//   script = setup.qss
//   support = support             # folder packed into setup.res
//   msi = build/demo.msi
//   [product]
//   code = {01234567-89AB-CDEF-0123-456789ABCDEF}
//   ...
//   [constants]
//   SINGLEINSTANCE = TRUE
//
// Paths are relative to the description's folder. An unquoted value runs to the end of the
// line or to a comment ("#" after a blank); a value may be quoted ("..." with "" for a quote)
// to keep leading or trailing blanks or a " #".
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qs::pack {

using NameValue = std::pair<std::string, std::string>;

struct PackageDescription {
    std::string sourceName;              // the description file, for messages
    std::filesystem::path folder;        // relative paths and stored source names start here

    // [package]
    std::string name = "setup";          // engine base name of the package's files
    std::filesystem::path script;        // required
    std::filesystem::path engine;        // may come from the command line instead
    std::filesystem::path archiveLibrary;  // yib.lib; may come from the command line instead
    std::filesystem::path support;       // folder packed into <name>.res; empty: an empty archive
    std::filesystem::path msi, msp;      // at least one
    std::filesystem::path bmp;           // optional splash picture, written as setup.bmp
    std::filesystem::path data;          // optional folder copied to data\ .
    std::filesystem::path languageFile;  // optional message-table file appended to yib.lib

    // [product]
    std::string productCode;             // GUID in braces, required
    std::string packageCode;             // GUID in braces, required
    std::string title;                   // required
    std::string company, contact, helpLink, updateInfoLink, comments, version;
    int buildMode = 1;
    int codePage = 1252;
    bool languageDialog = false;
    std::string defaultLanguage;

    // list sections, in file order
    std::vector<NameValue> constants;        // [constants]       NAME = value
    std::vector<NameValue> componentSizes;   // [component-sizes] component = bytes
    std::vector<NameValue> blockPasswords;   // [block-passwords] block = password (plain text)
    std::vector<std::string> plugins;        // [plugins]         one command name per line
    std::vector<std::array<std::string, 3>> mediaFiles;  // [media-files] "archive", "path", "destination"
};

// Parses a description. Relative paths are resolved against `folder`.
// Throws PackError with file and line on the first fault.
PackageDescription parseDescription(std::string_view text, const std::string& sourceName,
                                    const std::filesystem::path& folder);

PackageDescription loadDescription(const std::filesystem::path& file);

// True for "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits.
bool isBracedGuid(std::string_view text);

}  // namespace qs::pack
