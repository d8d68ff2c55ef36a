#pragma once

#include "dll/Registration.h"

namespace quillery::dll {

// The registry port on the real registry: the machine's classes are HKEY_CLASSES_ROOT, the
// user's are HKEY_CURRENT_USER\Software\Classes.
class Win32Registry final : public RegistryPort {
public:
    // Where the system has no per-user type library calls (before Windows Vista), or when
    // `perUserCalls` is false, a per-user type library is registered by the machine-wide call
    // with HKEY_CLASSES_ROOT pointed at the user's classes for the duration of the call.
    explicit Win32Registry(bool perUserCalls = true) : perUserCalls_(perUserCalls) {}

    LSTATUS CreateKey(RegistryScope scope, const std::wstring& key) override;
    LSTATUS SetValue(RegistryScope scope, const std::wstring& key, const std::wstring& name,
                     const std::wstring& value) override;
    LSTATUS DeleteTree(RegistryScope scope, const std::wstring& key) override;
    bool KeyExists(RegistryScope scope, const std::wstring& key) override;
    std::optional<std::wstring> StringValue(RegistryScope scope, const std::wstring& key,
                                            const std::wstring& name) override;
    bool KeyExistsForOtherPlatform(RegistryScope scope, const std::wstring& key) override;
    HRESULT RegisterTypeLibrary(RegistryScope scope, const std::wstring& path) override;
    HRESULT UnregisterTypeLibrary(RegistryScope scope, REFGUID library, WORD major, WORD minor,
                                  LCID locale) override;

private:
    bool perUserCalls_;
};

} // namespace quillery::dll
