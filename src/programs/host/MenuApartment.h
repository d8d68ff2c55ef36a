#pragma once

#include "messaging/MessageService.h"
#include "winapi/UniqueResource.h"

#include <windows.h>

#include <memory>

namespace quillery::host {

// The menu requests' own thread, in a single-threaded COM apartment: each request creates
// Pennock.DoBiz from its registration and calls loadmenu by name, as a browser's script does,
// and the menu's windows belong to this thread. Between requests the thread dispatches its
// window messages, so that its windows (COM's own, the menu's kept tooltip) answer the system
// while the host waits for the next message.
class MenuApartment final : public messaging::MenuService {
public:
    // How long a menu asked to close, and then the thread asked to end, may take.
    static constexpr DWORD kCloseLimitMs = 5000;
    // How often the close is asked again meanwhile: a request may not have made its menu yet.
    static constexpr DWORD kAskAgainMs = 250;

    // `inputEnded` is signalled once the host's input has ended: a menu then is closed.
    // `nextWaiting` is signalled while another message waits: an open menu then closes without a
    // choice, as a second request closes the first in one browser, and the next one is served.
    // `browserWindow`, when the browser named one, is the window the menus are opened for; its
    // thread, learnt now, has its input joined to each request's, also once that window has
    // closed (a browser's windows share one thread).
    MenuApartment(HANDLE inputEnded, HANDLE nextWaiting, HWND browserWindow);
    // Ends the thread, which releases COM. A request that would not close is left to the
    // process's end, with what it uses.
    ~MenuApartment() override;
    MenuApartment(const MenuApartment&) = delete;
    MenuApartment& operator=(const MenuApartment&) = delete;

    // Runs one request on the apartment's thread and waits for its outcome, or for the
    // input's end; a message that comes meanwhile has the menu closed first. With a point, the
    // pointer is moved there before the menu opens at it: onto the nearest pixel of the work
    // area of the point's monitor, or where it lies on none, of the browser's window's monitor
    // (or the pointer's).
    std::optional<messaging::MenuOutcome>
    ShowMenu(std::optional<messaging::ScreenPoint> at) override;
    // Posts the close to the thread's snippet menus until the request has ended.
    void CloseMenu() override;

private:
    struct Shared;
    static DWORD WINAPI Run(void* shared) noexcept;

    std::shared_ptr<Shared> shared_;
    HANDLE inputEnded_;
    HANDLE nextWaiting_;
    win32::UniqueHandle thread_;
    DWORD threadId_ = 0;
    bool running_ = false; // a request runs whose outcome has not been taken
};

} // namespace quillery::host
