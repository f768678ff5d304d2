#include <windows.h>

#include <vector>

#include "registry_win32.h"

namespace qs::platform {
namespace {

HKEY rootHandle(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegistryRoot::Users: return HKEY_USERS;
        case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CURRENT_USER;
}

REGSAM viewFlag(RegistryView view) {
    switch (view) {
        case RegistryView::Wow64_64: return KEY_WOW64_64KEY;
        case RegistryView::Wow64_32: return KEY_WOW64_32KEY;
        case RegistryView::Default: break;
    }
    return 0;
}

// An open key that closes itself.
class Key {
public:
    Key(RegistryRoot root, const std::string& path, REGSAM access, RegistryView view, bool create) {
        LONG rc;
        if (create) {
            rc = RegCreateKeyExA(rootHandle(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 access | viewFlag(view), nullptr, &handle_, nullptr);
        } else {
            rc = RegOpenKeyExA(rootHandle(root), path.c_str(), 0, access | viewFlag(view), &handle_);
        }
        if (rc != ERROR_SUCCESS) handle_ = nullptr;
    }
    ~Key() {
        if (handle_) RegCloseKey(handle_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return handle_ != nullptr; }
    HKEY get() const { return handle_; }

private:
    HKEY handle_ = nullptr;
};

}  // namespace

std::optional<std::string> Win32Registry::readString(RegistryRoot root, const std::string& key,
                                                     const std::string& name, RegistryView view) {
    Key k(root, key, KEY_QUERY_VALUE, view, false);
    if (!k) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<char> buf(size + 1, 0);
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    buf[size] = 0;
    return std::string(buf.data());  // stops at the stored terminator
}

std::optional<std::uint32_t> Win32Registry::readDword(RegistryRoot root, const std::string& key,
                                                      const std::string& name, RegistryView view) {
    Key k(root, key, KEY_QUERY_VALUE, view, false);
    if (!k) return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

bool Win32Registry::writeString(RegistryRoot root, const std::string& key, const std::string& name,
                                const std::string& value, RegistryView view) {
    Key k(root, key, KEY_SET_VALUE, view, true);
    if (!k) return false;
    return RegSetValueExA(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool Win32Registry::writeDword(RegistryRoot root, const std::string& key, const std::string& name,
                               std::uint32_t value, RegistryView view) {
    Key k(root, key, KEY_SET_VALUE, view, true);
    if (!k) return false;
    DWORD v = value;
    return RegSetValueExA(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
           ERROR_SUCCESS;
}

bool Win32Registry::keyExists(RegistryRoot root, const std::string& key, RegistryView view) {
    Key k(root, key, KEY_QUERY_VALUE, view, false);
    return static_cast<bool>(k);
}

bool Win32Registry::deleteValue(RegistryRoot root, const std::string& key, const std::string& name,
                                RegistryView view) {
    Key k(root, key, KEY_SET_VALUE | KEY_QUERY_VALUE, view, true);
    if (!k) return false;
    const LONG rc = RegDeleteValueA(k.get(), name.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool Win32Registry::deleteTree(RegistryRoot root, const std::string& key, RegistryView view) {
    if (!keyExists(root, key, view)) return true;
    // RegDeleteTree does not take a view; open the key in the view and empty it, then delete it.
    {
        Key k(root, key, KEY_ALL_ACCESS, view, false);
        if (!k) return false;
        if (RegDeleteTreeA(k.get(), nullptr) != ERROR_SUCCESS) return false;
    }
    return RegDeleteKeyExA(rootHandle(root), key.c_str(), viewFlag(view), 0) == ERROR_SUCCESS;
}

}  // namespace qs::platform
