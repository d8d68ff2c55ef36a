#pragma once

#include <windows.h>

#include <oleauto.h>

#include <cstddef>
#include <optional>
#include <string>

namespace quillery::dll {

// Where a registration goes: the machine's classes (HKEY_CLASSES_ROOT), or the current user's
// (HKEY_CURRENT_USER\Software\Classes), which a user without administrator rights can write.
enum class RegistryScope { Machine, User };

// Where the registration of one DLL may go, chosen by where the DLL lies. A DLL that only
// administrators can replace registers for the whole machine, or for the current user when the
// machine's classes refuse (a user without administrator rights). Any other DLL registers for
// the current user alone, even where the machine's classes would take it: registered for the
// machine, it would be loaded by every user's programs, elevated ones among them, from a file
// that a user can replace, and an uninstall without administrator rights could not remove it.
enum class RegistrationPlacement { MachineThenUser, UserOnly };

// What registration needs of the registry, so that a test can stand in for it (and refuse).
// Keys are relative to the scope's classes root.
class RegistryPort {
public:
    virtual ~RegistryPort() = default;

    // Creates `key` (and the keys above it) when missing.
    virtual LSTATUS CreateKey(RegistryScope scope, const std::wstring& key) = 0;
    // Sets the string value `name` of an existing key; an empty name is the key's default value.
    virtual LSTATUS SetValue(RegistryScope scope, const std::wstring& key, const std::wstring& name,
                             const std::wstring& value) = 0;
    // Deletes `key` with everything below it; ERROR_FILE_NOT_FOUND when there is no such key.
    virtual LSTATUS DeleteTree(RegistryScope scope, const std::wstring& key) = 0;
    virtual bool KeyExists(RegistryScope scope, const std::wstring& key) = 0;
    // The string value `name` of `key`; nothing when either is missing or it is not a string.
    virtual std::optional<std::wstring> StringValue(RegistryScope scope, const std::wstring& key,
                                                    const std::wstring& name) = 0;
    // Whether `key` exists in the other platform's view of the scope's classes: on a 64-bit
    // system, what 32-bit programs see when this is 64-bit code, and the reverse. A system
    // with one view has no other: false.
    virtual bool KeyExistsForOtherPlatform(RegistryScope scope, const std::wstring& key) = 0;

    // Registers the type library in the file `path`, with its interfaces, in the scope.
    virtual HRESULT RegisterTypeLibrary(RegistryScope scope, const std::wstring& path) = 0;
    virtual HRESULT UnregisterTypeLibrary(RegistryScope scope, REFGUID library, WORD major,
                                          WORD minor, LCID locale) = 0;
};

// A name that registration's keys and values may use for a GUID, such as %CLSID%.
struct GuidToken {
    const wchar_t* token;
    const GUID* guid;
};

// One value that registration writes. Keys and values may hold the server's GUID tokens and
// %MODULE%, the full path of the DLL.
struct RegistryRow {
    const wchar_t* key;
    const wchar_t* name; // empty: the key's default value
    const wchar_t* value;
};

// Everything registration writes and removes for one server.
struct ServerRegistration {
    const GuidToken* guids;
    std::size_t guidCount;
    const RegistryRow* rows;
    std::size_t rowCount;
    // The keys that belong to the server alone, the type library's and its interfaces' among
    // them; unregistering deletes each with its subtree.
    const wchar_t* const* ownKeys;
    std::size_t ownKeyCount;
    // The own keys that a 64-bit system shows to 32-bit and 64-bit programs alike (the
    // ProgID), and the key that tells that the class is registered, which each platform sees
    // on its own. A shared key stays while the other platform's build has the class registered.
    const wchar_t* const* sharedKeys;
    std::size_t sharedKeyCount;
    const wchar_t* classKey;
    // The embedded type library, which the module's file holds.
    const GUID* libraryId;
    WORD libraryMajor;
    WORD libraryMinor;
    LCID libraryLocale;
};

// DllRegisterServer: writes the rows and registers the type library where `placement` allows.
// For the whole machine first, or for the current user when the machine's classes refuse the
// write; or for the current user alone, after removing the user's earlier registration and a
// machine-wide one of this same file (which earlier versions wrote from an elevated prompt)
// where the machine's classes let it go. A failed registration is removed again rather than
// left half written.
HRESULT RegisterServer(const ServerRegistration& server, RegistryPort& registry,
                       const std::wstring& modulePath, RegistrationPlacement placement);

// DllUnregisterServer: removes the server for the current user, and for the whole machine: all
// of it for a DLL placed there first, and for a DLL of the user's only a machine-wide
// registration of this same file, never another copy's. Fails when something it was to remove
// is left behind. Unregistering one of the two builds of the DLL leaves the other's
// registration working: the type library's key stays while the other platform's registration
// is under it, and the shared keys while the other has the class registered.
HRESULT UnregisterServer(const ServerRegistration& server, RegistryPort& registry,
                         const std::wstring& modulePath, RegistrationPlacement placement);

// Whether this code is the 64-bit build. The 32-bit and the 64-bit DLL register the same type
// library, each under its platform's key ("win32", "win64") below the library's version and
// locale; on a 64-bit system both may sit under one key.
constexpr bool kThisPlatformIs64Bit = sizeof(void*) == 8;
const wchar_t* ThisPlatformKey();
const wchar_t* OtherPlatformKey();

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as the registry spells GUIDs.
std::wstring GuidString(REFGUID guid);

} // namespace quillery::dll
