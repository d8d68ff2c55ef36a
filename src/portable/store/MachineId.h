#pragma once

#include "platform/SystemInfo.h"

#include <cstdint>
#include <string>

namespace quillery {

// The five-digit machine identifier: the first five digits of the magnitude of the signed
// volume serial number, padded on the right with zeros.
std::wstring MachineIdFromSerial(std::uint32_t serial);

// The identifier of this machine, from the serial number of drive C:. A failed query counts as
// serial number 0.
std::wstring GetMachineId(SystemInfo& system);

} // namespace quillery
