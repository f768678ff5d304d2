// The registry through advapi32.
#pragma once

#include "../registry.h"

namespace qs::platform {

class Win32Registry final : public Registry {
public:
    std::optional<std::string> readString(RegistryRoot root, const std::string& key, const std::string& name,
                                          RegistryView view) override;
    std::optional<std::uint32_t> readDword(RegistryRoot root, const std::string& key, const std::string& name,
                                           RegistryView view) override;
    bool writeString(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value,
                     RegistryView view) override;
    bool writeDword(RegistryRoot root, const std::string& key, const std::string& name, std::uint32_t value,
                    RegistryView view) override;
    bool keyExists(RegistryRoot root, const std::string& key, RegistryView view) override;
    bool deleteValue(RegistryRoot root, const std::string& key, const std::string& name, RegistryView view) override;
    bool deleteTree(RegistryRoot root, const std::string& key, RegistryView view) override;
};

}  // namespace qs::platform
