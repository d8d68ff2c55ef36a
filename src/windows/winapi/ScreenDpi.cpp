#include "winapi/ScreenDpi.h"

#include "winapi/CriticalSection.h"

#include <atomic>
#include <mutex> // std::lock_guard only

namespace quillery::win32 {
namespace {

constexpr int kDefaultDpi = 96;
constexpr int kPerMonitorAware =
    2;                           // DPI_AWARENESS_PER_MONITOR_AWARE, PROCESS_PER_MONITOR_DPI_AWARE
constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI

Dpi AskSystemDpi() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return Dpi{};
    }
    const int x = GetDeviceCaps(screen, LOGPIXELSX);
    const int y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return Dpi{x > 0 ? x : kDefaultDpi, y > 0 ? y : kDefaultDpi};
}

// The DPI calls of Windows 8.1 and 10, null where the system has none. Declared here rather
// than taken from the headers, which offer them only when building for those systems.
struct DpiCalls {
    using GetThreadContextCall = HANDLE(WINAPI*)();
    using AwarenessOfContextCall = int(WINAPI*)(HANDLE);
    using ProcessAwarenessCall = HRESULT(WINAPI*)(HANDLE, int*);
    using MonitorDpiCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    using AdjustForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

    GetThreadContextCall threadContext = nullptr;
    AwarenessOfContextCall awarenessOfContext = nullptr;
    ProcessAwarenessCall processAwareness = nullptr;
    MonitorDpiCall monitorDpi = nullptr;
    AdjustForDpiCall adjustForDpi = nullptr;
};

template <typename Call> Call Find(HMODULE module, const char* name) {
    // Through void*: the cast from FARPROC to another function type would warn.
    return module == nullptr
               ? nullptr
               : reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// shcore.dll from the system's folder alone, never from the host's or the current one. It
// stays loaded for the process: its calls are kept.
HMODULE LoadShcore() {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    constexpr wchar_t kName[] = L"\\shcore.dll";
    if (length == 0 || length + sizeof(kName) / sizeof(wchar_t) > MAX_PATH) {
        return nullptr;
    }
    lstrcpynW(path + length, kName, MAX_PATH - static_cast<int>(length));
    return LoadLibraryW(path);
}

const DpiCalls& Calls() {
    // Looked up once per process (the first window of the process asks).
    static const DpiCalls calls = [] {
        DpiCalls found;
        HMODULE user = GetModuleHandleW(L"user32.dll");
        found.threadContext =
            Find<DpiCalls::GetThreadContextCall>(user, "GetThreadDpiAwarenessContext");
        found.awarenessOfContext =
            Find<DpiCalls::AwarenessOfContextCall>(user, "GetAwarenessFromDpiAwarenessContext");
        found.adjustForDpi = Find<DpiCalls::AdjustForDpiCall>(user, "AdjustWindowRectExForDpi");
        HMODULE shcore = LoadShcore();
        found.processAwareness =
            Find<DpiCalls::ProcessAwarenessCall>(shcore, "GetProcessDpiAwareness");
        found.monitorDpi = Find<DpiCalls::MonitorDpiCall>(shcore, "GetDpiForMonitor");
        return found;
    }();
    return calls;
}

// Windows 10 sets the awareness per thread; Windows 8.1 per process.
bool ThreadIsPerMonitorAware(const DpiCalls& calls) {
    if (calls.threadContext != nullptr && calls.awarenessOfContext != nullptr) {
        return calls.awarenessOfContext(calls.threadContext()) == kPerMonitorAware;
    }
    int awareness = 0;
    return calls.processAwareness != nullptr &&
           SUCCEEDED(calls.processAwareness(nullptr, &awareness)) && awareness == kPerMonitorAware;
}

} // namespace

Dpi SystemDpi() {
    // Two threads that ask at once both store the same answer.
    static std::atomic<int> knownX{0};
    static std::atomic<int> knownY{0};
    Dpi dpi{knownX.load(std::memory_order_relaxed), knownY.load(std::memory_order_relaxed)};
    if (dpi.x == 0 || dpi.y == 0) {
        dpi = AskSystemDpi();
        knownX.store(dpi.x, std::memory_order_relaxed);
        knownY.store(dpi.y, std::memory_order_relaxed);
    }
    return dpi;
}

Dpi WindowDpi() {
    const DpiCalls& calls = Calls();
    if (calls.monitorDpi == nullptr || !ThreadIsPerMonitorAware(calls)) {
        return SystemDpi();
    }
    POINT pointer{};
    GetCursorPos(&pointer);
    // A request asks several times while the pointer rests where the menu opens, and finding
    // the monitor under a point can cost a tenth of a millisecond: the answer for the point
    // asked last is kept, for any thread.
    static CriticalSection lock;
    static POINT lastPointer{};
    static Dpi lastDpi{0, 0};
    {
        const std::lock_guard<CriticalSection> guard(lock);
        if (lastDpi.x != 0 && lastPointer.x == pointer.x && lastPointer.y == pointer.y) {
            return lastDpi;
        }
    }
    UINT x = 0;
    UINT y = 0;
    if (FAILED(calls.monitorDpi(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), kEffectiveDpi,
                                &x, &y)) ||
        x == 0 || y == 0) {
        return SystemDpi();
    }
    const Dpi dpi{static_cast<int>(x), static_cast<int>(y)};
    const std::lock_guard<CriticalSection> guard(lock);
    lastPointer = pointer;
    lastDpi = dpi;
    return dpi;
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, Dpi dpi) {
    const DpiCalls& calls = Calls();
    if (calls.adjustForDpi == nullptr ||
        !calls.adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi.y))) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

} // namespace quillery::win32
