#include "dll/DllLocation.h"

#include "access/AdministratorsOnly.h"
#include "win32/Win32FileSecurity.h"

#include <windows.h>

namespace quillery::dll {
namespace {

bool RunsOnWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace

RegistrationPlacement PlacementByAccess(const std::wstring& modulePath) {
    win32::Win32FileSecurity security;
    return OnlyAdministratorsCanChange(security, modulePath)
               ? RegistrationPlacement::MachineThenUser
               : RegistrationPlacement::UserOnly;
}

RegistrationPlacement PlacementFor(const std::wstring& modulePath) {
    return RunsOnWine() ? RegistrationPlacement::MachineThenUser : PlacementByAccess(modulePath);
}

} // namespace quillery::dll
