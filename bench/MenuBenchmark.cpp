// Figures for the menu's speed and for what repeated requests leave behind, measured with the
// real windows in one process: how long a bare Win32 pop-up takes from creation to its first
// paint, how long a menu request takes from its start to the menu's first paint, how long a
// click takes to come back as the request's result, and the process's GDI objects, window
// objects, handles and memory before and after many requests. It prints figures; it passes
// or fails nothing.

#include "menu/MenuRequest.h"
#include "platform/Platform.h"
#include "win32/Win32Platform.h"
#include "win32/views/Win32WindowFactory.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point g_painted;
HWND g_painting = nullptr;     // the watched window, once its first paint has been dispatched
HWND g_paintPending = nullptr; // its first WM_PAINT has been taken from the queue
std::wstring g_watchedClass;

// Notes when the first WM_PAINT of a window of the watched class has been handled: the hook
// sees it taken from the queue, posts a WM_NULL behind it, and takes the time when that comes.
LRESULT CALLBACK OnGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        if (g_paintPending != nullptr && message->hwnd == g_paintPending &&
            message->message == WM_NULL) {
            g_painted = Clock::now();
            g_painting = g_paintPending;
            g_paintPending = nullptr;
        } else if (message->message == WM_PAINT && g_painting == nullptr &&
                   g_paintPending == nullptr) {
            wchar_t name[64] = L"";
            GetClassNameW(message->hwnd, name, 64);
            if (g_watchedClass == name) {
                g_paintPending = message->hwnd;
                PostMessageW(message->hwnd, WM_NULL, 0, 0);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void WatchFor(const wchar_t* className) {
    g_watchedClass = className;
    g_painting = nullptr;
    g_paintPending = nullptr;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// A bare pop-up of the menu's size, created, shown and painted by the same process.
double BareWindowMs(HINSTANCE instance) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = instance;
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = L"BenchBare";
        RegisterClassW(&windowClass);
        registered = true;
    }
    WatchFor(L"BenchBare");
    const auto start = Clock::now();
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"BenchBare", L"", WS_POPUP,
                                  300, 200, 167, 149, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (g_painting == nullptr && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    const double ms = Ms(g_painted - start);
    DestroyWindow(window);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
    return ms;
}

struct Request {
    double toPaintMs = 0;
    double clickMs = 0;
    std::wstring result;
};

Clock::time_point g_started;
Clock::time_point g_clicked;
bool g_click = true;

// Once the menu has painted: a click on its first line, or the window system's close.
void CALLBACK DriveMenu(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_painting == nullptr) {
        if (Clock::now() - g_started < std::chrono::seconds(5)) {
            return;
        }
        g_painting = FindWindowW(L"QuillerySnippetMenu", nullptr); // never seen painting: end it
        g_painted = Clock::now();
    }
    KillTimer(nullptr, id);
    g_clicked = Clock::now();
    const LPARAM firstLine = MAKELPARAM(40, (585 - 90 + 120) / 15);
    if (g_click) {
        PostMessageW(g_painting, WM_LBUTTONDOWN, MK_LBUTTON, firstLine);
        PostMessageW(g_painting, WM_LBUTTONUP, 0, firstLine);
    } else {
        PostMessageW(g_painting, WM_CLOSE, 0, 0);
    }
}

// One menu request, timed from its start to the menu's first paint and from the click to
// the request's return.
Request TimedRequest(quillery::WindowFactory& windows, bool click) {
    WatchFor(L"QuillerySnippetMenu");
    g_click = click;
    g_started = Clock::now();
    SetTimer(nullptr, 0, 1, &DriveMenu); // runs in the menu's own message loop
    const auto start = g_started;
    Request timed;
    timed.result = quillery::RunMenuRequest(quillery::CurrentPlatform(), windows);
    const auto end = Clock::now();
    timed.toPaintMs = Ms(g_painted - start);
    timed.clickMs = Ms(end - g_clicked);
    return timed;
}

struct Counts {
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
};

Counts Now() {
    Counts counts;
    counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    GetProcessHandleCount(GetCurrentProcess(), &counts.handles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof(memory));
    // Wine reports no private usage; the committed size stands in for it there.
    counts.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    return counts;
}

} // namespace

// menu_benchmark [REQUESTS]: Menu.dat must lie beside the program.
int wmain(int argc, wchar_t** argv) {
    const int requests = argc > 1 ? _wtoi(argv[1]) : 1000;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    quillery::win32::InstallWin32Platform(instance);
    quillery::win32::Win32WindowFactory windows(instance);
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, OnGetMessage, nullptr, GetCurrentThreadId());
    SetCursorPos(300, 300);

    std::vector<double> bare;
    std::vector<double> menu;
    std::vector<double> clicks;
    std::wstring chosen;
    for (int i = 0; i < 30; ++i) {
        bare.push_back(BareWindowMs(instance));
        const Request timed = TimedRequest(windows, true);
        menu.push_back(timed.toPaintMs);
        clicks.push_back(timed.clickMs);
        chosen = timed.result;
    }
    std::printf("bare window, creation to first paint: %.2f ms (median of 30)\n", Median(bare));
    std::printf("menu request, start to first paint:   %.2f ms (median of 30), %.2fx the bare "
                "window (target: at most 1.5x)\n",
                Median(menu), Median(menu) / std::max(Median(bare), 0.001));
    std::printf("click to returned text:                %.2f ms (median of 30, target: 16 ms); "
                "text: \"%ls\"\n",
                Median(clicks), chosen.c_str());

    const Counts before = Now();
    for (int i = 0; i < requests; ++i) {
        TimedRequest(windows, i % 2 == 0);
    }
    const Counts after = Now();
    // A count the system does not report (Wine reports no GDI or window objects) reads 0.
    std::printf("%d requests: GDI objects %lu -> %lu, window objects %lu -> %lu, handles %lu -> "
                "%lu, private memory %lu KiB -> %lu KiB\n",
                requests, before.gdi, after.gdi, before.user, after.user, before.handles,
                after.handles, static_cast<unsigned long>(before.privateBytes / 1024),
                static_cast<unsigned long>(after.privateBytes / 1024));
    UnhookWindowsHookEx(hook);
    return 0;
}
