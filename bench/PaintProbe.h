#pragma once

#include <windows.h>

// What menu_benchmark.exe shares with paint_probe.dll, which it hooks into every thread that
// takes messages, so that a menu's first paint is seen in whichever process the menu runs.
namespace quillery::bench {

// A block of shared memory the benchmark creates and the probe writes.
struct PaintProbeBlock {
    // Set by the benchmark before a request; the probe clears it once it has seen a paint.
    volatile LONG armed;
    // When the first paint of a snippet menu had been handled: QueryPerformanceCounter, which
    // every process of the machine reads alike.
    LONGLONG paintedAt;
};

inline constexpr wchar_t kPaintProbeBlock[] = L"Local\\QuilleryBenchPaintProbe";
// An auto-reset event the probe sets once it has written paintedAt.
inline constexpr wchar_t kPaintProbeEvent[] = L"Local\\QuilleryBenchPainted";
// The hook procedure's exported name.
inline constexpr char kPaintProbeHook[] = "PaintProbeHook";

} // namespace quillery::bench
