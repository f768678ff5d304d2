// Turns a parsed script and package description into the global lists of a package.
//
// Generated per script line:
//   line key        a GUID in braces derived from the line's source file and line number, so
//                   packing the same sources twice gives the same keys (stable diffs). A key
//                   never equals another key or any parameter text: parameters are found by
//                   searching the parameter list for the key, so such a text would capture it.
//   command header  eight hexadecimal digits, the first a letter (so a header can never be
//                   mistaken for a decimal line index in the header list), unique per line.
//   source position source path + "*" + zero-based line number.
#pragma once

#include <string>
#include <string_view>

#include "bootstrap/global_lists.h"
#include "packer/package_description.h"
#include "packer/script_source.h"

namespace qs::pack {

// The lists hold logical texts: the parameter list is escaped only when written (lists_writer.h).
GlobalLists buildGlobalLists(const Script& script, const PackageDescription& description);

// Scrambles a web media block password the way the engine unscrambles it: each character
// becomes two hexadecimal digits, low digit first, and every character of that text is then
// exclusive-or'ed with its zero-based position (low 8 bits). Digits are upper case unless that
// would produce a CR, LF or NUL, in which case the lower-case letter is used. Throws PackError
// when that cannot be avoided (a digit 0-9 at such a position, possible from position 48 on:
// passwords longer than 23 characters may be refused).
std::string scrambleBlockPassword(std::string_view password, const std::string& block);

}  // namespace qs::pack
