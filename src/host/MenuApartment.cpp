#include "host/MenuApartment.h"

#include "base/Utf8.h"

#include <oleauto.h>

#include <cstdio>
#include <string>

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

// One menu request on the calling thread, which is in an apartment.
MenuOutcome RequestMenu() {
    CLSID classId{};
    HRESULT result = ::CLSIDFromProgID(kProgId, &classId);
    if (FAILED(result)) {
        return MenuError{WithCode("Pennock.DoBiz is not registered: run install.cmd", result)};
    }
    UniqueCom<IDispatch> object;
    result = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(object.put()));
    if (FAILED(result)) {
        return MenuError{WithCode("Pennock.DoBiz could not be created", result)};
    }
    wchar_t methodName[] = L"loadmenu";
    LPOLESTR names[] = {methodName};
    DISPID method = DISPID_UNKNOWN;
    result = object.get()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &method);
    if (FAILED(result)) {
        return MenuError{WithCode("Pennock.DoBiz has no loadmenu", result)};
    }
    DISPPARAMS noArguments{};
    VARIANT returned;
    ::VariantInit(&returned);
    result = object.get()->Invoke(method, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                  &noArguments, &returned, nullptr, nullptr);
    if (FAILED(result)) {
        ::VariantClear(&returned);
        return MenuError{WithCode("loadmenu failed", result)};
    }
    if (returned.vt != VT_BSTR) {
        ::VariantClear(&returned);
        return MenuError{"loadmenu returned no text"};
    }
    const UniqueBstr text(returned.bstrVal);
    return MenuText{ToUtf8({text.get(), ::SysStringLen(text.get())})};
}

} // namespace

MenuApartment::MenuApartment()
    : requested_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      answered_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (requested_ && answered_ && stop_) {
        thread_.reset(::CreateThread(nullptr, 0, &Run, this, 0, nullptr));
    }
}

MenuApartment::~MenuApartment() {
    if (thread_) {
        ::SetEvent(stop_.get());
        ::WaitForSingleObject(thread_.get(), INFINITE);
    }
}

MenuOutcome MenuApartment::ShowMenu() {
    if (!thread_) {
        return MenuError{"the host could not start its menu thread"};
    }
    ::SetEvent(requested_.get());
    // Should the thread have ended, no answer would ever come.
    const HANDLE waits[] = {answered_.get(), thread_.get()};
    if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        return MenuError{"the host's menu thread has ended"};
    }
    return std::move(outcome_);
}

DWORD WINAPI MenuApartment::Run(void* self) noexcept {
    static_cast<MenuApartment*>(self)->Serve();
    return 0;
}

void MenuApartment::Serve() {
    const HRESULT com = ::CoInitialize(nullptr);
    const HANDLE waits[] = {stop_.get(), requested_.get()};
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 + 1) {
            outcome_ = SUCCEEDED(com) ? RequestMenu()
                                      : MenuError{WithCode("COM could not be started", com)};
            ::SetEvent(answered_.get());
        } else if (woken == WAIT_OBJECT_0 + 2) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        } else {
            break; // stop, or the wait itself failed
        }
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
}

} // namespace quillery::host
