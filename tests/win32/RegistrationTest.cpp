// Registration of the server: what it writes, where it goes (by who can change the DLL, and the
// fall-back to the current user's classes when the machine's refuse), and complete removal.
// The logic runs against a registry that a test controls (and makes refuse); one test registers
// copies of the DLL in two folders on the real registry.

#include "Win32TestSupport.h"

#include "dll/DllLocation.h"
#include "dll/PennockServer.h"
#include "dll/Registration.h"
#include "dll/Win32Registry.h"
#include "win32/Win32FileSecurity.h"

#include "Pennock_h.h"

#include <aclapi.h>
#include <olectl.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <utility>

namespace quillery::dll {
namespace {

const wchar_t* const kModule = L"C:\\Users\\Ann\\AppData\\Local\\Quillery\\Pennock.dll";

// An in-memory registry of both scopes. Machine-wide writes, type library calls or deletions
// can be made to fail with a chosen code, as a system without administrator rights would.
class FakeRegistry final : public RegistryPort {
public:
    using Key = std::pair<RegistryScope, std::wstring>;

    LSTATUS machineKeyFailure = ERROR_SUCCESS;
    HRESULT machineTypeLibraryFailure = S_OK;
    LSTATUS userKeyFailure = ERROR_SUCCESS;
    LSTATUS machineDeleteFailure = ERROR_SUCCESS;

    std::map<Key, std::map<std::wstring, std::wstring>> keys;
    // The keys that the other platform's view of the classes holds.
    std::set<Key> otherPlatformKeys;
    std::set<RegistryScope> typeLibraries;
    std::wstring typeLibraryPath;

    LSTATUS CreateKey(RegistryScope scope, const std::wstring& key) override {
        if (const LSTATUS failure = KeyFailure(scope); failure != ERROR_SUCCESS) {
            return failure;
        }
        keys[{scope, key}];
        return ERROR_SUCCESS;
    }
    LSTATUS SetValue(RegistryScope scope, const std::wstring& key, const std::wstring& name,
                     const std::wstring& value) override {
        const auto found = keys.find({scope, key});
        if (found == keys.end()) {
            return ERROR_FILE_NOT_FOUND;
        }
        found->second[name] = value;
        return ERROR_SUCCESS;
    }
    LSTATUS DeleteTree(RegistryScope scope, const std::wstring& key) override {
        if (scope == RegistryScope::Machine && machineDeleteFailure != ERROR_SUCCESS) {
            return machineDeleteFailure;
        }
        bool found = false;
        for (auto it = keys.begin(); it != keys.end();) {
            const bool under =
                it->first.first == scope &&
                (it->first.second == key || it->first.second.rfind(key + L"\\", 0) == 0);
            found = found || under;
            it = under ? keys.erase(it) : std::next(it);
        }
        return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }
    bool KeyExists(RegistryScope scope, const std::wstring& key) override {
        for (const auto& entry : keys) {
            if (entry.first.first == scope &&
                (entry.first.second == key || entry.first.second.rfind(key + L"\\", 0) == 0)) {
                return true;
            }
        }
        return false;
    }
    std::optional<std::wstring> StringValue(RegistryScope scope, const std::wstring& key,
                                            const std::wstring& name) override {
        return Value(scope, key, name);
    }
    bool KeyExistsForOtherPlatform(RegistryScope scope, const std::wstring& key) override {
        return otherPlatformKeys.count({scope, key}) != 0;
    }
    // Registers as the system does: the library's and the interface's keys.
    HRESULT RegisterTypeLibrary(RegistryScope scope, const std::wstring& path) override {
        if (scope == RegistryScope::Machine && FAILED(machineTypeLibraryFailure)) {
            return machineTypeLibraryFailure;
        }
        typeLibraries.insert(scope);
        typeLibraryPath = path;
        keys[{scope, LibraryKey() + L"\\1.0\\409\\" + ThisPlatformKey()}][L""] = path;
        keys[{scope, L"Interface\\" + GuidString(IID__DoBiz) + L"\\TypeLib"}][L""] =
            GuidString(LIBID_Pennock);
        return S_OK;
    }
    HRESULT UnregisterTypeLibrary(RegistryScope scope, REFGUID library, WORD major, WORD minor,
                                  LCID) override {
        EXPECT_TRUE(IsEqualGUID(library, LIBID_Pennock));
        EXPECT_EQ(major, 1);
        EXPECT_EQ(minor, 0);
        if (typeLibraries.erase(scope) == 0) {
            return TYPE_E_REGISTRYACCESS;
        }
        // As the system does: this platform's key, and the library's keys above it once
        // nothing else is below them.
        DeleteTree(scope, LibraryKey() + L"\\1.0\\409\\" + ThisPlatformKey());
        for (const std::wstring& above :
             {LibraryKey() + L"\\1.0\\409", LibraryKey() + L"\\1.0", LibraryKey()}) {
            if (KeysBelow(scope, above) == 0) {
                DeleteTree(scope, above);
            }
        }
        DeleteTree(scope, L"Interface\\" + GuidString(IID__DoBiz));
        return S_OK;
    }

    std::optional<std::wstring> Value(RegistryScope scope, const std::wstring& key,
                                      const std::wstring& name = L"") const {
        const auto found = keys.find({scope, key});
        if (found == keys.end() || found->second.count(name) == 0) {
            return std::nullopt;
        }
        return found->second.at(name);
    }
    static std::wstring LibraryKey() { return L"TypeLib\\" + GuidString(LIBID_Pennock); }
    std::size_t KeysBelow(RegistryScope scope, const std::wstring& key) const {
        std::size_t count = 0;
        for (const auto& entry : keys) {
            count += entry.first.first == scope && entry.first.second.rfind(key + L"\\", 0) == 0;
        }
        return count;
    }
    std::size_t KeyCount(RegistryScope scope) const {
        std::size_t count = 0;
        for (const auto& entry : keys) {
            count += entry.first.first == scope ? 1 : 0;
        }
        return count;
    }

private:
    LSTATUS KeyFailure(RegistryScope scope) const {
        return scope == RegistryScope::Machine ? machineKeyFailure : userKeyFailure;
    }
};

const ServerRegistration& Server() {
    return PennockServer().registration;
}

std::wstring Clsid() {
    return GuidString(CLSID_DoBiz);
}

// What clients need of the registration, read from one scope.
void ExpectRegisteredIn(const FakeRegistry& registry, RegistryScope scope) {
    const std::wstring clsidKey = L"CLSID\\" + Clsid();
    EXPECT_EQ(registry.Value(scope, clsidKey + L"\\InprocServer32"), kModule);
    EXPECT_EQ(registry.Value(scope, clsidKey + L"\\InprocServer32", L"ThreadingModel"),
              L"Apartment");
    EXPECT_EQ(registry.Value(scope, clsidKey + L"\\ProgID"), L"Pennock.DoBiz");
    EXPECT_EQ(registry.Value(scope, clsidKey + L"\\TypeLib"), GuidString(LIBID_Pennock));
    EXPECT_EQ(registry.Value(scope, L"Pennock.DoBiz\\CLSID"), Clsid());
    EXPECT_EQ(registry.typeLibraries.count(scope), 1u);
    EXPECT_EQ(registry.typeLibraryPath, kModule);
}

constexpr auto kMachineThenUser = RegistrationPlacement::MachineThenUser;
constexpr auto kUserOnly = RegistrationPlacement::UserOnly;

// Where registration lands, by the placement and by what the machine's classes refuse.
TEST(RegistrationTest, UserOnlyOrMachineFallingBackToTheUserOnlyWhenRefused) {
    const struct {
        const char* name;
        RegistrationPlacement placement;
        LSTATUS machineKeyFailure;
        HRESULT machineTypeLibraryFailure;
        LSTATUS userKeyFailure;
        HRESULT expected;
        std::optional<RegistryScope> registeredIn; // nothing anywhere when empty
    } cases[] = {
        {"administrator", kMachineThenUser, ERROR_SUCCESS, S_OK, ERROR_SUCCESS, S_OK,
         RegistryScope::Machine},
        {"classes refused", kMachineThenUser, ERROR_ACCESS_DENIED, S_OK, ERROR_SUCCESS, S_OK,
         RegistryScope::User},
        {"type library refused", kMachineThenUser, ERROR_SUCCESS, TYPE_E_REGISTRYACCESS,
         ERROR_SUCCESS, S_OK, RegistryScope::User},
        {"type library access denied", kMachineThenUser, ERROR_SUCCESS, E_ACCESSDENIED,
         ERROR_SUCCESS, S_OK, RegistryScope::User},
        // Failures other than a refusal would fail for the user too: reported, not hidden.
        {"registry broken", kMachineThenUser, ERROR_BADDB, S_OK, ERROR_SUCCESS,
         HRESULT_FROM_WIN32(ERROR_BADDB), std::nullopt},
        {"type library unreadable", kMachineThenUser, ERROR_SUCCESS, TYPE_E_CANTLOADLIBRARY,
         ERROR_SUCCESS, TYPE_E_CANTLOADLIBRARY, std::nullopt},
        {"both refused", kMachineThenUser, ERROR_ACCESS_DENIED, S_OK, ERROR_ACCESS_DENIED,
         E_ACCESSDENIED, std::nullopt},
        // A DLL of the user's: never the machine's, though it would take the registration.
        {"user's DLL", kUserOnly, ERROR_SUCCESS, S_OK, ERROR_SUCCESS, S_OK, RegistryScope::User},
        {"user's DLL, user refused", kUserOnly, ERROR_SUCCESS, S_OK, ERROR_ACCESS_DENIED,
         E_ACCESSDENIED, std::nullopt},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        FakeRegistry registry;
        registry.machineKeyFailure = row.machineKeyFailure;
        registry.machineTypeLibraryFailure = row.machineTypeLibraryFailure;
        registry.userKeyFailure = row.userKeyFailure;
        EXPECT_EQ(RegisterServer(Server(), registry, kModule, row.placement), row.expected);
        for (const RegistryScope scope : {RegistryScope::Machine, RegistryScope::User}) {
            if (row.registeredIn == scope) {
                ExpectRegisteredIn(registry, scope);
            } else {
                // No half registration: nothing that would let a client find a class it
                // cannot use.
                EXPECT_EQ(registry.KeyCount(scope), 0u)
                    << (scope == RegistryScope::Machine ? "machine" : "user");
                EXPECT_EQ(registry.typeLibraries.count(scope), 0u);
            }
        }
    }
}

TEST(RegistrationTest, UnregisterRemovesBothScopesAndReportsWhatItCouldNotRemove) {
    FakeRegistry registry;
    ASSERT_EQ(RegisterServer(Server(), registry, kModule, kMachineThenUser), S_OK);
    // Then a user without administrator rights registers a copy of their own, and cannot
    // touch the machine's.
    registry.machineKeyFailure = ERROR_ACCESS_DENIED;
    registry.machineDeleteFailure = ERROR_ACCESS_DENIED;
    registry.machineTypeLibraryFailure = TYPE_E_REGISTRYACCESS;
    ASSERT_EQ(RegisterServer(Server(), registry, kModule, kMachineThenUser), S_OK);
    ASSERT_GT(registry.KeyCount(RegistryScope::Machine), 0u);
    ASSERT_GT(registry.KeyCount(RegistryScope::User), 0u);
    // Something the system's type library removal would not know of.
    registry.CreateKey(RegistryScope::User, L"CLSID\\" + Clsid() + L"\\Implemented Categories");

    // The user's registration goes, and the call says that the machine's is left.
    EXPECT_EQ(UnregisterServer(Server(), registry, kModule, kMachineThenUser), SELFREG_E_CLASS);
    EXPECT_EQ(registry.KeyCount(RegistryScope::User), 0u);
    EXPECT_GT(registry.KeyCount(RegistryScope::Machine), 0u);

    registry.machineDeleteFailure = ERROR_SUCCESS;
    registry.machineTypeLibraryFailure = S_OK;
    EXPECT_EQ(UnregisterServer(Server(), registry, kModule, kMachineThenUser), S_OK);
    EXPECT_EQ(registry.KeyCount(RegistryScope::Machine), 0u);
    EXPECT_TRUE(registry.typeLibraries.empty());

    // Unregistering what is not registered succeeds: there is nothing left.
    EXPECT_EQ(UnregisterServer(Server(), registry, kModule, kMachineThenUser), S_OK);
}

// A 64-bit system with both builds of the DLL registered: their type library registrations
// share the library's key, and both need the one ProgID that the system shows to either.
// Unregistering one build leaves the other's registration working.
TEST(RegistrationTest, UnregisteringOneBuildLeavesTheOtherPlatformsRegistrationWorking) {
    const std::wstring library = FakeRegistry::LibraryKey() + L"\\1.0\\409\\";
    const std::wstring otherClass = L"CLSID\\" + Clsid() + L"\\InprocServer32";
    for (const RegistryScope scope : {RegistryScope::Machine, RegistryScope::User}) {
        SCOPED_TRACE(scope == RegistryScope::Machine ? "machine" : "user");
        FakeRegistry registry;
        registry.machineKeyFailure =
            scope == RegistryScope::User ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
        ASSERT_EQ(RegisterServer(Server(), registry, kModule, kMachineThenUser), S_OK);
        registry.CreateKey(scope, library + OtherPlatformKey());
        registry.SetValue(scope, library + OtherPlatformKey(), L"", L"C:\\other\\Pennock.dll");
        registry.otherPlatformKeys.insert({scope, otherClass});

        EXPECT_EQ(UnregisterServer(Server(), registry, kModule, kMachineThenUser), S_OK);
        EXPECT_EQ(registry.Value(scope, library + OtherPlatformKey()), L"C:\\other\\Pennock.dll");
        EXPECT_EQ(registry.Value(scope, L"Pennock.DoBiz\\CLSID"), Clsid());
        EXPECT_FALSE(registry.KeyExists(scope, library + ThisPlatformKey()));
        EXPECT_FALSE(registry.KeyExists(scope, L"CLSID\\" + Clsid()));

        // Once the other build is unregistered too, nothing is left.
        registry.DeleteTree(scope, library + OtherPlatformKey());
        registry.otherPlatformKeys.clear();
        EXPECT_EQ(UnregisterServer(Server(), registry, kModule, kMachineThenUser), S_OK);
        EXPECT_EQ(registry.KeyCount(scope), 0u);
    }
}

// A DLL in the user's folder that an earlier version registered for the machine from an
// elevated prompt: registering it again removes that registration where the machine lets it
// go, and unregistering it says so where the machine does not. The machine's registration of
// another copy is not the user's DLL's to remove.
TEST(RegistrationTest, AUserFolderDllRemovesOnlyTheMachinesRegistrationOfItsOwnFile) {
    const wchar_t* const adminCopy = L"C:\\Program Files\\Quillery\\Pennock.dll";
    const struct {
        const char* name;
        const wchar_t* machineServer;
        LSTATUS machineFailure;
        HRESULT unregistered;
        bool machineKept;
    } cases[] = {
        {"this file", kModule, ERROR_SUCCESS, S_OK, false},
        {"this file, machine refuses", kModule, ERROR_ACCESS_DENIED, SELFREG_E_CLASS, true},
        {"another copy", adminCopy, ERROR_SUCCESS, S_OK, true},
    };
    const std::wstring server = L"CLSID\\" + Clsid() + L"\\InprocServer32";
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        FakeRegistry registry;
        ASSERT_EQ(RegisterServer(Server(), registry, row.machineServer, kMachineThenUser), S_OK);
        registry.machineKeyFailure = row.machineFailure;
        registry.machineDeleteFailure = row.machineFailure;

        ASSERT_EQ(RegisterServer(Server(), registry, kModule, kUserOnly), S_OK);
        ExpectRegisteredIn(registry, RegistryScope::User);
        EXPECT_EQ(registry.Value(RegistryScope::Machine, server).has_value(), row.machineKept);

        EXPECT_EQ(UnregisterServer(Server(), registry, kModule, kUserOnly), row.unregistered);
        EXPECT_EQ(registry.KeyCount(RegistryScope::User), 0u);
        EXPECT_EQ(registry.Value(RegistryScope::Machine, server).has_value(), row.machineKept);
    }
}

std::optional<std::wstring> RealValue(HKEY root, const std::wstring& key) {
    wchar_t text[1024] = {};
    LONG size = sizeof(text);
    if (::RegQueryValueW(root, key.c_str(), text, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

std::wstring Expanded(const wchar_t* text) {
    wchar_t expanded[MAX_PATH] = {};
    const DWORD length = ::ExpandEnvironmentStringsW(text, expanded, MAX_PATH);
    return length > 0 && length <= MAX_PATH ? expanded : L"";
}

// Copies of the DLL registered on the real registry, whose machine-wide classes take the
// registration (Wine's prefix runs as an administrator), each in its scope alone. Wine's Program
// Files is its user's too, so the machine's scope is given by hand.
TEST(RegistrationTest, RegistersInTheScopeTheDllIsPlacedIn) {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring server = L"CLSID\\" + Clsid() + L"\\InprocServer32";
    const std::wstring progId = L"Pennock.DoBiz\\CLSID";
    const std::wstring library =
        L"TypeLib\\" + GuidString(LIBID_Pennock) + L"\\1.0\\409\\" + ThisPlatformKey();
    const std::wstring iface = L"Interface\\" + GuidString(IID__DoBiz) + L"\\TypeLib";
    const struct {
        const wchar_t* parent;
        RegistrationPlacement placement;
        HKEY registeredIn;
        HKEY untouched;
    } cases[] = {
        {L"%LOCALAPPDATA%", kUserOnly, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE},
        {L"%ProgramFiles%", kMachineThenUser, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER},
    };
    for (const auto& row : cases) {
        const wintest::TempDirectory folder(Expanded(row.parent));
        const std::wstring module = folder.File(L"Pennock.dll");
        SCOPED_TRACE(testing::PrintToString(module));
        for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            ASSERT_EQ(RealValue(root, classes + server), std::nullopt)
                << "the test machine has the server registered already";
        }
        ASSERT_TRUE(::CopyFileW((wintest::ProgramDirectory() + L"\\Pennock.dll").c_str(),
                                module.c_str(), FALSE));
        // As where the system has no per-user type library call: Wine's registers for the
        // machine.
        Win32Registry registry(/*perUserCalls=*/false);
        EXPECT_EQ(PlacementByAccess(module), kUserOnly);

        EXPECT_EQ(RegisterServer(Server(), registry, module, row.placement), S_OK);
        EXPECT_EQ(RealValue(row.registeredIn, classes + server), module);
        EXPECT_EQ(RealValue(row.registeredIn, classes + progId), Clsid());
        EXPECT_EQ(RealValue(row.registeredIn, classes + library), module);
        EXPECT_EQ(RealValue(row.registeredIn, classes + iface), GuidString(LIBID_Pennock));
        for (const std::wstring& key : {server, progId, library, iface}) {
            EXPECT_EQ(RealValue(row.untouched, classes + key), std::nullopt)
                << "also in the other scope: " << testing::PrintToString(key);
        }

        EXPECT_EQ(UnregisterServer(Server(), registry, module, row.placement), S_OK);
        for (const RegistryScope scope : {RegistryScope::Machine, RegistryScope::User}) {
            for (const std::wstring& key : {L"CLSID\\" + Clsid(), std::wstring(L"Pennock.DoBiz"),
                                            L"TypeLib\\" + GuidString(LIBID_Pennock),
                                            L"Interface\\" + GuidString(IID__DoBiz)}) {
                EXPECT_FALSE(registry.KeyExists(scope, key))
                    << "left: " << testing::PrintToString(key);
            }
        }
    }
    ::CoUninitialize();
}

// A folder's access list set to let everyone write, read back through the port: a DLL in it is
// the user's (and, as Wine makes its user every file's owner, so is any other).
TEST(RegistrationTest, ADllInAFolderEveryoneCanWriteToRegistersForTheUser) {
    const wintest::TempDirectory folder(Expanded(L"%ProgramFiles%"));
    const std::wstring module = folder.File(L"Pennock.dll");
    ASSERT_TRUE(::CopyFileW((wintest::ProgramDirectory() + L"\\Pennock.dll").c_str(),
                            module.c_str(), FALSE));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                    L"D:(A;;FA;;;BA)(A;;0x1301bf;;;WD)", SDDL_REVISION_1, &descriptor, nullptr) &&
                ::GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted));
    const DWORD set =
        ::SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.path().c_str()), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION, nullptr, nullptr, list, nullptr);
    ::LocalFree(descriptor);
    ASSERT_EQ(set, DWORD{ERROR_SUCCESS});
    const auto read = win32::Win32FileSecurity().Describe(folder.path());
    ASSERT_TRUE(read.has_value());
    bool granted = false;
    for (const AccessEntry& e : read->entries) {
        granted |= e.allows && !e.inheritOnly && e.trustee == L"S-1-1-0" &&
                   (e.rights & access_rights::kWriteData) != 0;
    }
    EXPECT_TRUE(granted) << "the grant to everyone is not read back";
    EXPECT_EQ(PlacementByAccess(module), kUserOnly);
}

} // namespace
} // namespace quillery::dll
