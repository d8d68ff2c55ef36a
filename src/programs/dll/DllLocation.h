#pragma once

#include "dll/Registration.h"

#include <string>

namespace quillery::dll {

// Where the DLL at `modulePath` registers, by who can change it: for the machine first when only
// administrators can change the file or any folder above it (access/AdministratorsOnly.h, read
// from the file system's owners and access lists), for the current user alone anywhere else.
// A folder's name decides nothing: a Windows or Program Files folder may hold folders that
// every user can write to (the Windows folder's Temp and Tasks, a vendor's folder opened to
// Users).
RegistrationPlacement PlacementByAccess(const std::wstring& modulePath);

// Where DllRegisterServer and DllUnregisterServer place the DLL at `modulePath`: by who can
// change it, except under Wine, where it registers for the machine first wherever it lies.
// Wine's COM looks for classes in the machine's registry alone, so a registration for the user
// would not be found; and a Wine prefix has no administrators: the one user who runs it owns
// every file of it (Wine reports the user as the owner of its system folders too, with full
// control), and can change the machine's registry as well, so a machine-wide registration
// gives nobody more than they had.
RegistrationPlacement PlacementFor(const std::wstring& modulePath);

} // namespace quillery::dll
