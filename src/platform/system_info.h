// Facts about the running system that the engine asks for.
#pragma once

#include <string>

namespace qs::platform {

struct WindowsVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    unsigned platformId = 0;  // 1: Windows 95 family, 2: NT family
    std::string servicePack;  // e.g. "Service Pack 1", empty when none
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    virtual WindowsVersion windowsVersion() = 0;
    // True for a 32-bit process running on 64-bit Windows.
    virtual bool isWow64() = 0;
    // The temporary folder, ending with a backslash.
    virtual std::string temporaryFolder() = 0;
    // The full path of the running executable.
    virtual std::string executablePath() = 0;
    // Keeps the process on the first processor, where the system allows it.
    virtual void restrictToFirstProcessor() = 0;
    // True when the thread's token (the process token when the thread has none) holds the
    // built-in Administrators group (S-1-5-32-544) and, on Windows Vista and later, is elevated.
    // Always false on the Windows 95 family.
    virtual bool isAdministrator() = 0;
    // Today in the user's short date format, and now in the user's long time format.
    virtual std::string shortDateText() = 0;
    virtual std::string longTimeText() = 0;
    // The language identifier of the system default locale as the system writes it, in
    // hexadecimal ("0407"): its language, or with `defaultLanguage` its default language.
    // Empty when it cannot be read.
    virtual std::string systemLanguageId(bool defaultLanguage) = 0;
    // The English name of the language of locale `lcid` ("German" for 2055); empty when the
    // system does not know the locale.
    virtual std::string englishLanguageName(unsigned lcid) = 0;
};

}  // namespace qs::platform
