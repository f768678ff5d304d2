#include "installer_platform.h"

#include "engine/engine.h"

namespace qs::installer {

std::string_view platformText(InstallerPlatform platform) {
    switch (platform) {
        case InstallerPlatform::Ia64: return "ia64";
        case InstallerPlatform::X64: return "x64";
        case InstallerPlatform::Win32: break;
    }
    return "Win32";
}

std::optional<InstallerPlatform> platformFromText(std::string_view text) {
    for (InstallerPlatform p : {InstallerPlatform::Win32, InstallerPlatform::Ia64, InstallerPlatform::X64})
        if (text == platformText(p)) return p;
    return std::nullopt;
}

InstallerPlatform selectedPlatform(InstallerPlatform current, std::string_view win32, std::string_view ia64,
                                   std::string_view x64) {
    if (win32 == "TRUE") current = InstallerPlatform::Win32;
    if (ia64 == "TRUE") current = InstallerPlatform::Ia64;
    if (x64 == "TRUE") current = InstallerPlatform::X64;
    return current;
}

void set64BitModeCommand(Engine& engine, int line) {
    const auto index = static_cast<std::size_t>(line);
    InstallerPlatform& platform = engine.installerPlatform.platform;
    platform = selectedPlatform(platform, engine.script.lineParameter(index, 1), engine.script.lineParameter(index, 2),
                                engine.script.lineParameter(index, 3));
}

bool targets64BitSystem(bool wow64, InstallerPlatform platform) { return wow64 && platform != InstallerPlatform::Win32; }

bool targets64BitSystem(Engine& engine) {
    return targets64BitSystem(engine.platform.system.isWow64(), engine.installerPlatform.platform);
}

platform::RegistryView registryView(bool wow64, InstallerPlatform platform) {
    if (!wow64) return platform::RegistryView::Default;
    return platform == InstallerPlatform::Win32 ? platform::RegistryView::Wow64_32 : platform::RegistryView::Wow64_64;
}

platform::RegistryView registryView(Engine& engine) {
    return registryView(engine.platform.system.isWow64(), engine.installerPlatform.platform);
}

platform::RegistryView restingRegistryView(bool wow64) {
    return wow64 ? platform::RegistryView::Wow64_32 : platform::RegistryView::Default;
}

platform::RegistryView restingRegistryView(Engine& engine) { return restingRegistryView(engine.platform.system.isWow64()); }

bool redirectionOff(Engine& engine) {
    // The platform is checked first: a "Win32" script never asks the system anything.
    if (engine.installerPlatform.platform == InstallerPlatform::Win32) return false;
    return engine.installerPlatform.redirection.off(targets64BitSystem(engine));
}

void redirectionOn(Engine& engine) { engine.installerPlatform.redirection.on(); }

RedirectionScope::RedirectionScope(Engine& engine) : engine_(engine), switched_(redirectionOff(engine)) {}

RedirectionScope::~RedirectionScope() {
    if (switched_) redirectionOn(engine_);
}

}  // namespace qs::installer
