#pragma once

#include <windows.h>

namespace quillery {

// The module handle of Pennock.dll itself, as DllMain received it.
HMODULE DllModule();

} // namespace quillery
