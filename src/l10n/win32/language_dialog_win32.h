// The language dialog as a Win32 modal dialog (class "#32770"), built from an in-memory
// template: 8-point Tahoma, centred on the screen, no owner.
#pragma once

#include "l10n/language_dialog.h"

namespace qs::l10n {

class Win32LanguageDialog final : public LanguageDialog {
public:
    std::optional<std::size_t> choose(const LanguageDialogRequest& request) override;
};

}  // namespace qs::l10n
