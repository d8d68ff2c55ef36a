#include "host/MenuApartment.h"

#include "base/ScopeExit.h"
#include "base/Utf8.h"
#include "menuwindows/SnippetMenuWindows.h"
#include "winapi/InputAttachment.h"
#include "winapi/Win32Boundary.h"

#include <oleauto.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <utility>

namespace quillery::host {
namespace {

using win32::UniqueBstr;
using win32::UniqueCom;

constexpr wchar_t kProgId[] = L"Pennock.DoBiz";

std::string WithCode(const char* text, HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    return std::string(text) + " (error " + code + ")";
}

// The component as the menu thread reaches it: Pennock.DoBiz created through its registration
// and its loadmenu found by name, as a page's script does, once for the session rather than for
// each request (the creation was a tenth of a request's time). The registration is still asked
// at each request, so that a component unregistered since is told, and one registered under
// another class since is created anew. Lives on the menu thread, inside its apartment.
class Component {
public:
    // One menu request on the calling thread, which is in an apartment.
    messaging::MenuOutcome RequestMenu() {
        CLSID classId{};
        HRESULT result = ::CLSIDFromProgID(kProgId, &classId);
        if (FAILED(result)) {
            object_.reset();
            return messaging::MenuError{WithCode(
                "Pennock.DoBiz is not registered: install Quillery's .msi package", result)};
        }
        if (!object_ || !::IsEqualCLSID(classId, classId_)) {
            if (messaging::MenuError failed; !Create(classId, failed)) {
                return failed;
            }
        }
        DISPPARAMS noArguments{};
        VARIANT returned;
        ::VariantInit(&returned);
        result = object_.get()->Invoke(loadmenu_, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                       &noArguments, &returned, nullptr, nullptr);
        if (FAILED(result)) {
            ::VariantClear(&returned);
            object_.reset(); // the next request starts from a new object
            return messaging::MenuError{WithCode("loadmenu failed", result)};
        }
        if (returned.vt != VT_BSTR) {
            ::VariantClear(&returned);
            return messaging::MenuError{"loadmenu returned no text"};
        }
        const UniqueBstr text(returned.bstrVal);
        return messaging::MenuText{ToUtf8({text.get(), ::SysStringLen(text.get())})};
    }

private:
    bool Create(const CLSID& classId, messaging::MenuError& failed) {
        object_.reset();
        HRESULT result = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                            reinterpret_cast<void**>(object_.put()));
        if (FAILED(result)) {
            failed = messaging::MenuError{WithCode("Pennock.DoBiz could not be created", result)};
            return false;
        }
        wchar_t methodName[] = L"loadmenu";
        LPOLESTR names[] = {methodName};
        result = object_.get()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &loadmenu_);
        if (FAILED(result)) {
            object_.reset();
            failed = messaging::MenuError{WithCode("Pennock.DoBiz has no loadmenu", result)};
            return false;
        }
        classId_ = classId;
        return true;
    }

    UniqueCom<IDispatch> object_;
    CLSID classId_{};
    DISPID loadmenu_ = DISPID_UNKNOWN;
};

// The points the browser sends are in the screen's own pixels: the menu's thread works in them
// too where the system lets a thread choose (Windows 10 1703 and later), and the menu then sizes
// itself for the monitor it opens on. Looked up at run time, so the host still starts on older
// systems, whose threads all work in the system's pixels.
void UseScreenPixels() {
    using SetContextCall = HANDLE(WINAPI*)(HANDLE);
    const auto setContext = reinterpret_cast<SetContextCall>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    if (setContext != nullptr) {
        const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
        setContext(perMonitorV2);
    }
}

// The work area, in the thread's pixels, that the menu's point is kept on, whatever was sent:
// that of the monitor the point lies on; where it lies on none, that of the monitor that shows
// the browser's window (the browser named it as it started the host: a later request may come
// from another of its windows, whose point then lies on that window's monitor), or of the
// pointer's where no window is known.
messaging::ScreenArea WorkAreaFor(const messaging::ScreenPoint& at, HWND browserWindow) {
    HMONITOR monitor = nullptr;
    if (at.x >= LONG_MIN && at.x <= LONG_MAX && at.y >= LONG_MIN && at.y <= LONG_MAX) {
        const POINT point{static_cast<LONG>(at.x), static_cast<LONG>(at.y)};
        monitor = ::MonitorFromPoint(point, MONITOR_DEFAULTTONULL);
    }
    if (monitor == nullptr && browserWindow != nullptr && ::IsWindow(browserWindow)) {
        monitor = ::MonitorFromWindow(browserWindow, MONITOR_DEFAULTTONEAREST);
    }
    if (monitor == nullptr) {
        POINT pointer{};
        ::GetCursorPos(&pointer);
        monitor = ::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST);
    }
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) {
        return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

} // namespace

// What the thread uses: it may outlive the MenuApartment, when a request would not close.
struct MenuApartment::Shared {
    win32::UniqueHandle requested{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    win32::UniqueHandle answered{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    win32::UniqueHandle stop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HWND browserWindow = nullptr; // set before the thread starts
    DWORD browserThread = 0;      // that window's thread as the host started; set before too
    std::optional<messaging::ScreenPoint> at; // written before `requested` is set
    messaging::MenuOutcome outcome;           // written by the thread before `answered` is set

    void Serve();
    // The requests, one at a time, until `stop`; `com` is how the apartment began.
    void ServeRequests(HRESULT com);
};

MenuApartment::MenuApartment(HANDLE inputEnded, HANDLE nextWaiting, HWND browserWindow)
    : shared_(std::make_shared<Shared>()), inputEnded_(inputEnded), nextWaiting_(nextWaiting) {
    if (!shared_->requested || !shared_->answered || !shared_->stop) {
        return;
    }
    shared_->browserWindow = browserWindow;
    shared_->browserThread = win32::ThreadOfWindow(browserWindow);
    auto* forThread = new std::shared_ptr<Shared>(shared_);
    thread_.reset(::CreateThread(nullptr, 0, &Run, forThread, 0, &threadId_));
    if (!thread_) {
        delete forThread;
    }
}

MenuApartment::~MenuApartment() {
    if (thread_) {
        ::SetEvent(shared_->stop.get());
        ::WaitForSingleObject(thread_.get(), kCloseLimitMs);
    }
}

std::optional<messaging::MenuOutcome>
MenuApartment::ShowMenu(std::optional<messaging::ScreenPoint> at) {
    if (!thread_) {
        return messaging::MenuError{"the host could not start its menu thread"};
    }
    if (::WaitForSingleObject(inputEnded_, 0) == WAIT_OBJECT_0) {
        return std::nullopt; // nobody is left to choose
    }
    shared_->at = at;
    ::SetEvent(shared_->requested.get());
    running_ = true;
    // Should the thread have ended, no answer would ever come. Once another message waits, the
    // menu is asked to close, again every kAskAgainMs (it may not have been made yet, or a
    // window of its own may be up) until the request has ended.
    const HANDLE waits[] = {shared_->answered.get(), thread_.get(), inputEnded_, nextWaiting_};
    bool closing = false;
    for (;;) {
        switch (::WaitForMultipleObjects(closing ? 3 : 4, waits, FALSE,
                                         closing ? kAskAgainMs : INFINITE)) {
        case WAIT_OBJECT_0:
            running_ = false;
            return std::move(shared_->outcome);
        case WAIT_OBJECT_0 + 2:
            return std::nullopt;
        case WAIT_OBJECT_0 + 3:
        case WAIT_TIMEOUT:
            closing = true;
            win32::AskToClose(win32::FindSnippetMenus(threadId_), kAskAgainMs);
            break;
        default:
            running_ = false;
            return messaging::MenuError{"the host's menu thread has ended"};
        }
    }
}

void MenuApartment::CloseMenu() {
    if (!std::exchange(running_, false)) {
        return;
    }
    const HANDLE waits[] = {shared_->answered.get(), thread_.get()};
    const DWORD start = ::GetTickCount();
    for (;;) {
        win32::AskToClose(win32::FindSnippetMenus(threadId_), kAskAgainMs);
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= kCloseLimitMs ||
            ::WaitForMultipleObjects(
                2, waits, FALSE, std::min(kAskAgainMs, kCloseLimitMs - elapsed)) != WAIT_TIMEOUT) {
            return;
        }
    }
}

DWORD WINAPI MenuApartment::Run(void* shared) noexcept {
    const std::unique_ptr<std::shared_ptr<Shared>> held(
        static_cast<std::shared_ptr<Shared>*>(shared));
    // A failure (no memory for an answer) ends the thread, COM left first: the request it
    // served, and each later one, is answered that the menu thread has ended.
    return win32::ThreadEntry([&] { (*held)->Serve(); });
}

void MenuApartment::Shared::Serve() {
    const HRESULT com = ::CoInitialize(nullptr);
    const ScopeExit leave([com] {
        if (SUCCEEDED(com)) {
            ::CoUninitialize();
        }
    });
    UseScreenPixels();
    ServeRequests(com);
}

void MenuApartment::Shared::ServeRequests(HRESULT com) {
    Component component;
    // A hidden window of the thread's own for the session, as a browser's window thread has
    // its windows: a thread's last top-level window takes the thread's input method window
    // with it, which each request would then make again (close to 1 ms of each here).
    const win32::UniqueWindow keptWindow(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0,
                                                           nullptr, nullptr, nullptr, nullptr));
    const HANDLE waits[] = {stop.get(), requested.get()};
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 + 1) {
            // The menu opens at the pointer, which is put on the point first: the menu then
            // puts it onto its banner anyway.
            if (at) {
                const messaging::ScreenPixel pixel =
                    messaging::NearestPixelIn(WorkAreaFor(*at, browserWindow), *at);
                ::SetCursorPos(pixel.x, pixel.y);
            }
            // The browser's thread as the host learnt it: the window it named may have been
            // closed since, while the same thread runs the browser's other windows.
            const win32::InputAttachment withTheBrowser(browserThread);
            outcome = SUCCEEDED(com)
                          ? component.RequestMenu()
                          : messaging::MenuError{WithCode("COM could not be started", com)};
            ::SetEvent(answered.get());
        } else if (woken == WAIT_OBJECT_0 + 2) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        } else {
            return; // stop, or the wait itself failed
        }
    }
}

} // namespace quillery::host
