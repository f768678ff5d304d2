// The registry as the engine needs it: texts and numbers under a root key, in a chosen view.
//
// Reads of a missing key or value return an empty optional; they are expected outcomes and
// never throw. Writes create the key path as needed and return false when the system refuses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qs::platform {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Default: the process's own view. Wow64_64 / Wow64_32 pick the 64-bit or 32-bit view of a
// 32-bit process on 64-bit Windows (ignored elsewhere).
enum class RegistryView { Default, Wow64_64, Wow64_32 };

class Registry {
public:
    virtual ~Registry() = default;

    virtual std::optional<std::string> readString(RegistryRoot root, const std::string& key,
                                                  const std::string& name,
                                                  RegistryView view = RegistryView::Default) = 0;
    virtual std::optional<std::uint32_t> readDword(RegistryRoot root, const std::string& key,
                                                   const std::string& name,
                                                   RegistryView view = RegistryView::Default) = 0;
    virtual bool writeString(RegistryRoot root, const std::string& key, const std::string& name,
                             const std::string& value, RegistryView view = RegistryView::Default) = 0;
    virtual bool writeDword(RegistryRoot root, const std::string& key, const std::string& name,
                            std::uint32_t value, RegistryView view = RegistryView::Default) = 0;
    virtual bool keyExists(RegistryRoot root, const std::string& key,
                           RegistryView view = RegistryView::Default) = 0;
    // Deletes the value `name` of the key. The key is opened with create access, so a missing
    // key is created empty. True when the value does not exist afterwards.
    virtual bool deleteValue(RegistryRoot root, const std::string& key, const std::string& name,
                             RegistryView view = RegistryView::Default) = 0;
    // Deletes the key with all its subkeys and values; true also when it did not exist.
    virtual bool deleteTree(RegistryRoot root, const std::string& key,
                            RegistryView view = RegistryView::Default) = 0;
};

}  // namespace qs::platform
