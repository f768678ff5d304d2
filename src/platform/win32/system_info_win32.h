// System facts through kernel32.
#pragma once

#include "../system_info.h"

namespace qs::platform {

class Win32SystemInfo final : public SystemInfo {
public:
    WindowsVersion windowsVersion() override;
    bool isWow64() override;
    std::string temporaryFolder() override;
    std::string executablePath() override;
    void restrictToFirstProcessor() override;
    bool isAdministrator() override;
    std::string shortDateText() override;
    std::string longTimeText() override;
    std::string systemLanguageId(bool defaultLanguage) override;
    std::string englishLanguageName(unsigned lcid) override;
};

}  // namespace qs::platform
