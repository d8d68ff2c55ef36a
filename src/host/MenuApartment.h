#pragma once

#include "messaging/MessageService.h"
#include "win32/UniqueResource.h"

#include <windows.h>

namespace quillery::host {

// The menu requests' own thread, in a single-threaded COM apartment: each request creates
// Pennock.DoBiz from its registration and calls loadmenu by name, as a browser's script does,
// and the menu's windows belong to this thread. Between requests the thread dispatches its
// window messages, so that its windows (COM's own, the menu's kept tooltip) answer the system
// while the host waits for the next message.
class MenuApartment final : public MenuService {
public:
    MenuApartment();
    // Ends the thread, which releases COM.
    ~MenuApartment() override;
    MenuApartment(const MenuApartment&) = delete;
    MenuApartment& operator=(const MenuApartment&) = delete;

    // Runs one request on the apartment's thread and waits for its outcome.
    MenuOutcome ShowMenu() override;

private:
    static DWORD WINAPI Run(void* self) noexcept;
    void Serve();

    win32::UniqueHandle requested_;
    win32::UniqueHandle answered_;
    win32::UniqueHandle stop_;
    MenuOutcome outcome_; // written by the thread before `answered_` is set
    win32::UniqueHandle thread_;
};

} // namespace quillery::host
