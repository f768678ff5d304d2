// The dialog engine's table of pre-loaded wizard pages, keyed by the line index of their
// "Display Dialog" line.
//
// For now the table records which dialog files were loaded under which key; reading the form
// definitions and building the pages comes with the wizard pages themselves.
#pragma once

#include <map>
#include <string>

#include "bootstrap/startup_services.h"

namespace qs::ui {

class DialogEngine final : public bootstrap::DialogPreloader {
public:
    void initialise(const std::string& supportFolder) override { supportFolder_ = supportFolder; }
    void load(const std::string& dialogFile, const std::string& key) override { table_[key] = dialogFile; }

    const std::string& supportFolder() const { return supportFolder_; }
    // Dialog file loaded under each key.
    const std::map<std::string, std::string>& table() const { return table_; }

private:
    std::string supportFolder_;
    std::map<std::string, std::string> table_;
};

}  // namespace qs::ui
