#include "dll/Win32Registry.h"

#include "winapi/UniqueResource.h"

#include <algorithm>
#include <vector>

namespace quillery::dll {
namespace {

using win32::UniqueCom;
using win32::UniqueKey;

constexpr const wchar_t* kUserClasses = L"Software\\Classes";

// The platform whose registration the system's type library calls write and remove: that of
// the calling process, "win64" under a 64-bit one.
constexpr SYSKIND kThisSystem = kThisPlatformIs64Bit ? SYS_WIN64 : SYS_WIN32;

HKEY Root(RegistryScope scope) {
    return scope == RegistryScope::Machine ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

std::wstring FullKey(RegistryScope scope, const std::wstring& key) {
    return scope == RegistryScope::Machine ? key : std::wstring(kUserClasses) + L"\\" + key;
}

LSTATUS DeleteTreeUnder(HKEY parent, const std::wstring& key) {
    UniqueKey opened;
    LSTATUS status = ::RegOpenKeyExW(parent, key.c_str(), 0,
                                     KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, opened.put());
    if (status != ERROR_SUCCESS) {
        return status;
    }
    // Collect the subkeys' names first: deleting while enumerating would skip some.
    std::vector<std::wstring> children;
    wchar_t name[256]; // registry key names are at most 255 characters
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        status =
            ::RegEnumKeyExW(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS) {
            return status;
        }
        children.emplace_back(name, length);
    }
    for (const std::wstring& child : children) {
        status = DeleteTreeUnder(opened.get(), child);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            return status;
        }
    }
    opened.reset();
    return ::RegDeleteKeyW(parent, key.c_str());
}

template <typename Function> Function OleAutomationExport(const char* name) {
    const HMODULE oleaut = ::GetModuleHandleW(L"oleaut32.dll");
    if (oleaut == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(oleaut, name)));
}

using RegisterForUser = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUser = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

// While it lives, HKEY_CLASSES_ROOT means the current user's classes in this process: what the
// machine-wide type library calls write then goes to the user.
class ClassesRootAtUser {
public:
    ClassesRootAtUser() {
        UniqueKey classes;
        status_ = ::RegCreateKeyExW(HKEY_CURRENT_USER, kUserClasses, 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, classes.put(), nullptr);
        if (status_ == ERROR_SUCCESS) {
            status_ = ::RegOverridePredefKey(HKEY_CLASSES_ROOT, classes.get());
        }
    }
    ~ClassesRootAtUser() {
        if (status_ == ERROR_SUCCESS) {
            ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        }
    }
    ClassesRootAtUser(const ClassesRootAtUser&) = delete;
    ClassesRootAtUser& operator=(const ClassesRootAtUser&) = delete;

    LSTATUS status() const { return status_; }

private:
    LSTATUS status_;
};

} // namespace

LSTATUS Win32Registry::CreateKey(RegistryScope scope, const std::wstring& key) {
    UniqueKey created;
    return ::RegCreateKeyExW(Root(scope), FullKey(scope, key).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                             nullptr, created.put(), nullptr);
}

LSTATUS Win32Registry::SetValue(RegistryScope scope, const std::wstring& key,
                                const std::wstring& name, const std::wstring& value) {
    UniqueKey opened;
    const LSTATUS status =
        ::RegOpenKeyExW(Root(scope), FullKey(scope, key).c_str(), 0, KEY_SET_VALUE, opened.put());
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(opened.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()), bytes);
}

LSTATUS Win32Registry::DeleteTree(RegistryScope scope, const std::wstring& key) {
    return DeleteTreeUnder(Root(scope), FullKey(scope, key));
}

bool Win32Registry::KeyExists(RegistryScope scope, const std::wstring& key) {
    UniqueKey opened;
    return ::RegOpenKeyExW(Root(scope), FullKey(scope, key).c_str(), 0, KEY_QUERY_VALUE,
                           opened.put()) == ERROR_SUCCESS;
}

std::optional<std::wstring> Win32Registry::StringValue(RegistryScope scope, const std::wstring& key,
                                                       const std::wstring& name) {
    UniqueKey opened;
    if (::RegOpenKeyExW(Root(scope), FullKey(scope, key).c_str(), 0, KEY_QUERY_VALUE,
                        opened.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const wchar_t* const valueName = name.empty() ? nullptr : name.c_str();
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(opened.get(), valueName, nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    // The stored text need not end in a NUL: one more character is room for it.
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(opened.get(), valueName, nullptr, &type,
                           reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    value.resize(bytes / sizeof(wchar_t));
    // Up to the first NUL: the terminator, where one was stored.
    value.erase(std::min(value.find(L'\0'), value.size()));
    return value;
}

bool Win32Registry::KeyExistsForOtherPlatform(RegistryScope scope, const std::wstring& key) {
    // On a system of one view (32-bit Windows) the flag is ignored, or refused by the oldest:
    // the caller asks only once this platform's key is gone.
    constexpr REGSAM kOtherView = kThisPlatformIs64Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    UniqueKey opened;
    return ::RegOpenKeyExW(Root(scope), FullKey(scope, key).c_str(), 0,
                           KEY_QUERY_VALUE | kOtherView, opened.put()) == ERROR_SUCCESS;
}

HRESULT Win32Registry::RegisterTypeLibrary(RegistryScope scope, const std::wstring& path) {
    UniqueCom<ITypeLib> library;
    HRESULT result = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
    if (FAILED(result)) {
        return result;
    }
    std::vector<OLECHAR> file(path.begin(), path.end());
    file.push_back(L'\0');
    if (scope == RegistryScope::Machine) {
        return ::RegisterTypeLib(library.get(), file.data(), nullptr);
    }
    if (perUserCalls_) {
        if (const auto forUser = OleAutomationExport<RegisterForUser>("RegisterTypeLibForUser")) {
            return forUser(library.get(), file.data(), nullptr);
        }
    }
    const ClassesRootAtUser redirected;
    if (redirected.status() != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(static_cast<DWORD>(redirected.status()));
    }
    return ::RegisterTypeLib(library.get(), file.data(), nullptr);
}

HRESULT Win32Registry::UnregisterTypeLibrary(RegistryScope scope, REFGUID library, WORD major,
                                             WORD minor, LCID locale) {
    if (scope == RegistryScope::Machine) {
        return ::UnRegisterTypeLib(library, major, minor, locale, kThisSystem);
    }
    if (perUserCalls_) {
        if (const auto forUser =
                OleAutomationExport<UnregisterForUser>("UnRegisterTypeLibForUser")) {
            return forUser(library, major, minor, locale, kThisSystem);
        }
    }
    const ClassesRootAtUser redirected;
    if (redirected.status() != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(static_cast<DWORD>(redirected.status()));
    }
    return ::UnRegisterTypeLib(library, major, minor, locale, kThisSystem);
}

} // namespace quillery::dll
