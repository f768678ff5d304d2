// The installer platform a script targets ("Set 64 Bit Mode") and what follows from it on
// 64-bit Windows: the file-system redirection switch and the registry view.
//
// The engine is a 32-bit process. While the platform is "ia64" or "x64" and the engine runs
// under WOW64, its own file and registry work goes to the 64-bit system: file commands switch
// redirection off around their work, registry commands use the 64-bit view.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "installer/redirection.h"
#include "platform/registry.h"

namespace qs {
struct Engine;
}

namespace qs::installer {

enum class InstallerPlatform { Win32, Ia64, X64 };

// "Win32", "ia64", "x64".
std::string_view platformText(InstallerPlatform platform);
// The platform a text names (exactly as platformText writes it), or nothing.
std::optional<InstallerPlatform> platformFromText(std::string_view text);

// The run's installer platform state (one per engine).
struct InstallerPlatformState {
    InstallerPlatform platform = InstallerPlatform::Win32;  // set to Win32 when the run starts
    RedirectionSwitch redirection;  // attach the system side at start-up (win32/)
};

// "Set 64 Bit Mode": parameters 1, 2, 3 select "Win32", "ia64", "x64" when exactly "TRUE";
// tested in that order, the last "TRUE" wins; with none the platform stays as it was.
void set64BitModeCommand(Engine& engine, int line);
// The same rule on the three parameter texts: the platform after the command.
InstallerPlatform selectedPlatform(InstallerPlatform current, std::string_view win32, std::string_view ia64,
                                   std::string_view x64);

// Whether file and registry work goes to the 64-bit system: 64-bit Windows and a platform
// other than "Win32".
bool targets64BitSystem(bool wow64, InstallerPlatform platform);
bool targets64BitSystem(Engine& engine);

// The registry view of an access "in the current mode": on 64-bit Windows the 64-bit view for
// a 64-bit platform and the 32-bit view for "Win32"; the default view on 32-bit Windows.
platform::RegistryView registryView(bool wow64, InstallerPlatform platform);
platform::RegistryView registryView(Engine& engine);
// The view of every other access: the 32-bit view on 64-bit Windows, else the default.
platform::RegistryView restingRegistryView(bool wow64);
platform::RegistryView restingRegistryView(Engine& engine);

// The redirection switch for the calling thread: off does nothing unless the engine targets
// the 64-bit system (and the thread's redirection is not already off); true when it switched.
bool redirectionOff(Engine& engine);
void redirectionOn(Engine& engine);

// Switches redirection off for its lifetime when the engine targets the 64-bit system, and
// restores it at the end only when it was this scope that switched it off.
class RedirectionScope {
public:
    explicit RedirectionScope(Engine& engine);
    ~RedirectionScope();
    RedirectionScope(const RedirectionScope&) = delete;
    RedirectionScope& operator=(const RedirectionScope&) = delete;

private:
    Engine& engine_;
    bool switched_;
};

}  // namespace qs::installer
