#include "dll/Registration.h"

#include "base/WindowsPath.h"

#include <olectl.h>

namespace quillery::dll {
namespace {

// Whether a failure means "not allowed here" (so the user's own classes may do instead)
// rather than something that would fail there too.
bool Refused(HRESULT result) {
    // RegisterTypeLib reports any registry failure, a refusal among them, as
    // TYPE_E_REGISTRYACCESS.
    return result == E_ACCESSDENIED || result == TYPE_E_REGISTRYACCESS;
}

// Lower-case hex digits without leading zeros.
std::wstring Hex(unsigned long value) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), L"0123456789abcdef"[value % 16]);
        value /= 16;
    } while (value != 0);
    return digits;
}

HRESULT FromStatus(LSTATUS status) {
    return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

void ReplaceAll(std::wstring& text, const std::wstring& token, const std::wstring& value) {
    for (std::size_t at = text.find(token); at != std::wstring::npos;
         at = text.find(token, at + value.size())) {
        text.replace(at, token.size(), value);
    }
}

// `text` with the server's tokens replaced.
std::wstring ExpandTokens(const ServerRegistration& server, const std::wstring& text,
                          const std::wstring& modulePath) {
    std::wstring expanded = text;
    for (std::size_t i = 0; i < server.guidCount; ++i) {
        ReplaceAll(expanded, server.guids[i].token, GuidString(*server.guids[i].guid));
    }
    ReplaceAll(expanded, L"%MODULE%", modulePath);
    return expanded;
}

class Registrar {
public:
    Registrar(const ServerRegistration& server, RegistryPort& registry,
              const std::wstring& modulePath)
        : server_(server), registry_(registry), modulePath_(modulePath) {}

    // Writes every row, then registers the type library.
    HRESULT RegisterIn(RegistryScope scope) {
        for (std::size_t i = 0; i < server_.rowCount; ++i) {
            const RegistryRow& row = server_.rows[i];
            const std::wstring key = Expand(row.key);
            LSTATUS status = registry_.CreateKey(scope, key);
            if (status == ERROR_SUCCESS) {
                status = registry_.SetValue(scope, key, row.name, Expand(row.value));
            }
            if (status != ERROR_SUCCESS) {
                return FromStatus(status);
            }
        }
        return registry_.RegisterTypeLibrary(scope, modulePath_);
    }

    // Removes what registration writes in `scope`, as far as it can: the type library first,
    // while its registration still says where it is, then every key of the server's own.
    void RemoveFrom(RegistryScope scope) {
        registry_.UnregisterTypeLibrary(scope, *server_.libraryId, server_.libraryMajor,
                                        server_.libraryMinor, server_.libraryLocale);
        // The class's own key goes first: on a system with one view the other platform's
        // view is this one, and the class must be seen as gone there before the shared keys
        // are weighed.
        for (std::size_t i = 0; i < server_.ownKeyCount; ++i) {
            const std::wstring key = Expand(server_.ownKeys[i]);
            if (!HeldByOtherPlatform(scope, key)) {
                registry_.DeleteTree(scope, key);
            }
        }
    }

    bool AnythingLeftIn(RegistryScope scope) {
        for (std::size_t i = 0; i < server_.ownKeyCount; ++i) {
            const std::wstring key = Expand(server_.ownKeys[i]);
            if (registry_.KeyExists(scope, key) && !HeldByOtherPlatform(scope, key)) {
                return true;
            }
        }
        return false;
    }

    // Removes what a registration for the user alone replaces: the user's registration, and a
    // machine-wide one that has the class load this very file (as earlier versions wrote from
    // an elevated prompt), as far as the machine's classes allow. A machine-wide registration
    // of another file, an administrator's copy say, is not this DLL's to remove. Says whether
    // everything it was to remove is gone.
    bool RemoveUserAndOwnMachineRegistration() {
        // The user's first: where both exist, HKEY_CLASSES_ROOT shows the user's, so only then
        // is the machine's class path the one read.
        RemoveFrom(RegistryScope::User);
        if (MachineLoadsThisFile()) {
            RemoveFrom(RegistryScope::Machine);
        }
        return !AnythingLeftIn(RegistryScope::User) && !MachineLoadsThisFile();
    }

private:
    bool MachineLoadsThisFile() {
        const std::optional<std::wstring> server =
            registry_.StringValue(RegistryScope::Machine, Expand(server_.classKey), L"");
        return server && SamePathSpelling(*server, modulePath_);
    }

    // Whether `key` is one that the other platform's build of the DLL still needs: a shared
    // key while that build has the class registered, or the type library's key while that
    // build's type library registration is under it.
    bool HeldByOtherPlatform(RegistryScope scope, const std::wstring& key) {
        for (std::size_t i = 0; i < server_.sharedKeyCount; ++i) {
            if (key == Expand(server_.sharedKeys[i])) {
                return registry_.KeyExistsForOtherPlatform(scope, Expand(server_.classKey));
            }
        }
        const std::wstring library = L"TypeLib\\" + GuidString(*server_.libraryId);
        if (key != library) {
            return false;
        }
        // As the system's type library registration spells the version and the locale: in hex.
        const std::wstring platform = library + L"\\" + Hex(server_.libraryMajor) + L"." +
                                      Hex(server_.libraryMinor) + L"\\" +
                                      Hex(server_.libraryLocale) + L"\\" + OtherPlatformKey();
        return registry_.KeyExists(scope, platform);
    }

    std::wstring Expand(const wchar_t* text) const {
        return ExpandTokens(server_, text == nullptr ? L"" : text, modulePath_);
    }

    const ServerRegistration& server_;
    RegistryPort& registry_;
    const std::wstring& modulePath_;
};

} // namespace

const wchar_t* ThisPlatformKey() {
    return kThisPlatformIs64Bit ? L"win64" : L"win32";
}

const wchar_t* OtherPlatformKey() {
    return kThisPlatformIs64Bit ? L"win32" : L"win64";
}

std::wstring GuidString(REFGUID guid) {
    wchar_t text[40] = {};
    if (::StringFromGUID2(guid, text, 40) == 0) {
        return std::wstring();
    }
    return text;
}

HRESULT RegisterServer(const ServerRegistration& server, RegistryPort& registry,
                       const std::wstring& modulePath, RegistrationPlacement placement) {
    Registrar registrar(server, registry, modulePath);
    RegistryScope scope = RegistryScope::User;
    HRESULT result = S_OK;
    if (placement == RegistrationPlacement::UserOnly) {
        // A machine-wide registration of this file that stays is a leftover that only an
        // administrator can remove; the user's own registration works all the same.
        registrar.RemoveUserAndOwnMachineRegistration();
        result = registrar.RegisterIn(scope);
    } else {
        scope = RegistryScope::Machine;
        result = registrar.RegisterIn(scope);
        if (Refused(result)) {
            // Without administrator rights: the same registration, for this user only.
            registrar.RemoveFrom(scope);
            scope = RegistryScope::User;
            result = registrar.RegisterIn(scope);
        }
    }
    if (FAILED(result)) {
        // Half a registration would let clients find a class they cannot use.
        registrar.RemoveFrom(scope);
    }
    return result;
}

HRESULT UnregisterServer(const ServerRegistration& server, RegistryPort& registry,
                         const std::wstring& modulePath, RegistrationPlacement placement) {
    Registrar registrar(server, registry, modulePath);
    if (placement == RegistrationPlacement::UserOnly) {
        return registrar.RemoveUserAndOwnMachineRegistration() ? S_OK : SELFREG_E_CLASS;
    }
    // The user's classes first: where both exist, HKEY_CLASSES_ROOT shows the user's.
    registrar.RemoveFrom(RegistryScope::User);
    registrar.RemoveFrom(RegistryScope::Machine);
    if (registrar.AnythingLeftIn(RegistryScope::User) ||
        registrar.AnythingLeftIn(RegistryScope::Machine)) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

} // namespace quillery::dll
