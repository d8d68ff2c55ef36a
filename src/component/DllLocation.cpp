#include "component/DllLocation.h"

#include "base/WindowsPath.h"
#include "win32/UniqueResource.h"

#include <windows.h>

#include <vector>

namespace quillery {
namespace {

using win32::UniqueKey;

// The values that the Program Files folders come from, in a key that only administrators can
// change. Read in the 64-bit view, where a 64-bit system names both folders: the view of
// 32-bit code names its own alone. A system of one view ignores the flag, and the oldest,
// which refuse it, are read without it.
constexpr const wchar_t* kProgramFilesKey = L"Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const wchar_t* kProgramFilesValues[] = {L"ProgramFilesDir", L"ProgramFilesDir (x86)",
                                                  L"ProgramW6432Dir"};

std::vector<std::wstring> AdministratorsFolders() {
    std::vector<std::wstring> folders;
    wchar_t windows[MAX_PATH] = {};
    // The shared one: on a multi-user system the plain call may give a user's own.
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        folders.emplace_back(windows, length);
    }
    UniqueKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProgramFilesKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                        key.put()) != ERROR_SUCCESS &&
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProgramFilesKey, 0, KEY_QUERY_VALUE, key.put()) !=
            ERROR_SUCCESS) {
        return folders;
    }
    for (const wchar_t* name : kProgramFilesValues) {
        wchar_t folder[MAX_PATH + 1] = {};
        // One character short of the buffer, so that what is read always ends in a NUL.
        DWORD bytes = MAX_PATH * sizeof(wchar_t);
        DWORD type = 0;
        if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(folder),
                               &bytes) == ERROR_SUCCESS &&
            type == REG_SZ) {
            folders.emplace_back(folder);
        }
    }
    return folders;
}

// The path with each component in its long form, so that "C:\PROGRA~1\..." is seen to be in
// Program Files; the path as given where the system cannot tell.
std::wstring LongPath(const std::wstring& path) {
    const DWORD size = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) {
        return path;
    }
    std::wstring longPath(size, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), longPath.data(), size);
    if (length == 0 || length >= size) {
        return path;
    }
    longPath.resize(length);
    return longPath;
}

bool RunsOnWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace

RegistrationPlacement PlacementByFolder(const std::wstring& modulePath) {
    const std::wstring path = LongPath(modulePath);
    for (const std::wstring& folder : AdministratorsFolders()) {
        if (IsInsideFolder(path, folder)) {
            return RegistrationPlacement::MachineThenUser;
        }
    }
    return RegistrationPlacement::UserOnly;
}

RegistrationPlacement PlacementFor(const std::wstring& modulePath) {
    return RunsOnWine() ? RegistrationPlacement::MachineThenUser : PlacementByFolder(modulePath);
}

} // namespace quillery
