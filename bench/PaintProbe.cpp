// paint_probe.dll: the benchmark's first paint of a snippet menu, in any process. The benchmark
// sets it as a global WH_GETMESSAGE hook, so the system loads it into each process whose threads
// take messages, the native messaging host's among them. It measures as MenuBenchmark.cpp's own
// hook does in its thread: when a menu window's WM_PAINT is taken from the queue, a WM_NULL is
// posted behind it, and once that is taken, the paint has been handled; the time goes into the
// benchmark's shared block and the benchmark's event is set.

#include "PaintProbe.h"

#include <cwchar>

namespace {

using quillery::bench::PaintProbeBlock;

PaintProbeBlock* g_block = nullptr;
HANDLE g_painted = nullptr;
bool g_opened = false;
HWND g_pending = nullptr; // the menu whose WM_PAINT was taken, until the WM_NULL behind it is

// The benchmark's block and event, opened at the first paint this process handles.
bool Opened() {
    if (!g_opened) {
        g_opened = true;
        if (HANDLE mapping =
                ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, quillery::bench::kPaintProbeBlock)) {
            g_block = static_cast<PaintProbeBlock*>(
                ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(PaintProbeBlock)));
        }
        g_painted = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, quillery::bench::kPaintProbeEvent);
    }
    return g_block != nullptr && g_painted != nullptr;
}

bool IsMenu(HWND window) {
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    return std::wcscmp(name, L"QuillerySnippetMenu") == 0;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    PaintProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        if (g_pending != nullptr && !::IsWindow(g_pending)) {
            g_pending = nullptr; // closed before its paint was handled
        }
        if (g_pending != nullptr && message->hwnd == g_pending && message->message == WM_NULL) {
            LARGE_INTEGER now;
            ::QueryPerformanceCounter(&now);
            g_block->paintedAt = now.QuadPart;
            g_pending = nullptr;
            ::InterlockedExchange(&g_block->armed, 0);
            ::SetEvent(g_painted);
        } else if (message->message == WM_PAINT && g_pending == nullptr && Opened() &&
                   g_block->armed != 0 && IsMenu(message->hwnd)) {
            g_pending = message->hwnd;
            ::PostMessageW(message->hwnd, WM_NULL, 0, 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
