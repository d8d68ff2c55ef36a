#pragma once

#include "component/Registration.h"

#include <string>

namespace quillery {

// Where the DLL at `modulePath` registers, by the folder it lies in: for the machine first when
// that folder is one that only administrators can change (the shared Windows folder, the
// Program Files folders, on a 64-bit system both of them also for 32-bit code), for the current
// user alone anywhere else: the user's profile, a drive's own folders, a network share.
RegistrationPlacement PlacementByFolder(const std::wstring& modulePath);

// Where DllRegisterServer and DllUnregisterServer place the DLL at `modulePath`: by its folder,
// except under Wine, where it registers for the machine first wherever it lies. Wine's COM
// looks for classes in the machine's registry alone, so a registration for the user would not
// be found; and a Wine prefix has no administrators: the one user who runs it can change all
// of it, the machine's registry and Program Files too, so a machine-wide registration gives
// nobody more than they had.
RegistrationPlacement PlacementFor(const std::wstring& modulePath);

} // namespace quillery
