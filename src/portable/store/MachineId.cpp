#include "store/MachineId.h"

#include "base/Attempt.h"
#include "base/Decimal.h"

#include <algorithm>

namespace quillery {

std::wstring MachineIdFromSerial(std::uint32_t serial) {
    std::wstring digits = DecimalText(static_cast<std::int32_t>(serial));
    digits.erase(std::remove(digits.begin(), digits.end(), L'-'), digits.end());
    digits += L"00000";
    return digits.substr(0, 5);
}

std::wstring GetMachineId(SystemInfo& system) {
    std::uint32_t serial = 0;
    Attempt([&] { serial = system.VolumeSerialNumber(L"C:\\").value_or(0); });
    return MachineIdFromSerial(serial);
}

} // namespace quillery
