// The engine's entry point: a Win32 GUI program that runs the setup appended to it.
#include <windows.h>

#include "bootstrap/startup.h"
#include "bootstrap/win32/archive_library_win32.h"
#include "bootstrap/win32/module_data_win32.h"
#include "bootstrap/win32/startup_windows_win32.h"
#include "engine/engine.h"
#include "engine/interpreter.h"
#include "installer/win32/fs_redirection_win32.h"
#include "l10n/languages.h"
#include "l10n/win32/language_dialog_win32.h"
#include "platform/win32/win32_platform.h"
#include "ui/dialog_engine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    qs::platform::Platform& platform = qs::platform::win32Platform();
    qs::Engine engine(platform);
    engine.installerPlatform.redirection.attach(&qs::installer::win32FsRedirection());
    const qs::platform::WindowsVersion version = platform.system.windowsVersion();

    qs::bootstrap::Win32StartupWindows windows(version.major, version.minor);
    qs::bootstrap::YibArchiveLibrary archive;
    qs::ui::DialogEngine dialogs;
    qs::Interpreter interpreter;
    qs::bootstrap::StartupServices services{windows, archive, dialogs, interpreter};
    qs::l10n::Win32LanguageDialog languageDialog;
    engine.languageDialog = &languageDialog;

    std::string exe = platform.system.executablePath();
    qs::bootstrap::StartupInputs inputs;
    inputs.rawCommandLine = GetCommandLineA();
    inputs.engineAppendedOffset = qs::bootstrap::appendedOffsetOfModule(GetModuleHandleA(nullptr)).value_or(0);
    inputs.archiveLibraryAppendedData =
        qs::bootstrap::appendedDataOfLibrary(exe.substr(0, exe.find_last_of('\\') + 1) + "yib.lib");
    inputs.systemLanguage = qs::l10n::systemLanguage(platform.system, false);

    int code = qs::bootstrap::runEngine(engine, services, inputs);
    ExitProcess(static_cast<UINT>(code));
}
