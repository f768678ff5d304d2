// Writes global lists as the text the engine reads (bootstrap/global_lists.h).
#pragma once

#include <string>

#include "bootstrap/global_lists.h"

namespace qs::pack {

// Each group's entries, one per CR LF line, each group ended by a "$" line. A parameter that is
// exactly "$" is written as "$DOLLAR$".
//
// Throws PackError naming the group when an entry cannot be carried: an entry holding a line
// break (CR or LF) or NUL; an entry of any other list, or a single value, that is exactly "$"
// (it would end its group early); a parameter "$DOLLAR$" or "$WILD_DOLLAR$" (any case), which
// the reader turns into "$".
std::string writeGlobalLists(const GlobalLists& lists);

}  // namespace qs::pack
