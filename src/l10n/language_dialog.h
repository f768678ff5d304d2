// The language dialog: a modal, dialog-bordered window centred on the screen with an
// explanation, a 32 by 32 picture, a drop-down list of languages and OK and Cancel buttons.
// The Win32 build shows the real one (win32/language_dialog_win32.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qs::l10n {

struct LanguageDialogRequest {
    std::string caption;     // message line 89
    std::string label;       // message line 90
    std::string okText;      // message line 38 (the default button)
    std::string cancelText;  // message line 39
    std::vector<std::string> languages;  // the drop-down items, in this order
    std::size_t preselected = 0;         // index into `languages`
    bool currentPicture = true;          // the picture for Windows XP and later, else the older one
};

class LanguageDialog {
public:
    virtual ~LanguageDialog() = default;
    // Shows the dialog and waits. Returns the index of the language chosen with OK, or nothing
    // when the user cancelled (Cancel, Escape or closing the window).
    virtual std::optional<std::size_t> choose(const LanguageDialogRequest& request) = 0;
};

}  // namespace qs::l10n
