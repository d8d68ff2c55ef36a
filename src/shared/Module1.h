#pragma once

#include "shared/MenuRecord.h"

#include <array>
#include <cstdint>
#include <string>

namespace quillery {

// The state that the component's windows share. One copy exists per thread; every value
// starts zero, empty or false and lives as long as the component stays loaded.
struct Module1 {
    static constexpr int kFirstItem = 1;
    static constexpr int kLastItem = 20;
    static constexpr int kSlotCount = 51;

    std::int16_t MenuFileNumber = 0;                // handle of the open data file
    std::array<MenuRecord, kSlotCount> MenuItems{}; // slots 1..20 mirror the stored items
    std::wstring MachineId;
    std::wstring SiteAddress;
    std::wstring HelpAddress;
    std::wstring LinksAddress;
    std::wstring SelectedText; // what the menu request returns
    bool RunningInDevHost = false;
    std::int16_t ItemCount = 0;   // lines shown in the pop-up
    std::int16_t CurrentItem = 0; // item the context-menu commands act on; 0 = none or new
    bool ShowWelcome = false;
};

} // namespace quillery
