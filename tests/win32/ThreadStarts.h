#pragma once

// Which threads of this test program have started: reached the point where the loader tells
// the program of them, after the system has set them up.
//
// GoogleTest starts a watcher thread of its own for each thread that first uses its per-thread
// state (a scoped trace, a failed assertion). A test that ends right after that ends the process
// while the watcher may still be starting, and Wine brings such a process down with a
// segmentation fault after the tests have passed; so the program's main waits for its threads
// to start before it returns.

#include <windows.h>

namespace quillery::wintest {

// Whether every thread of this process but the calling one has started (a thread that is
// ending has left the record again, and counts as started once it is gone).
bool OtherThreadsHaveStarted();

// Waits until OtherThreadsHaveStarted(), for 30 s at most: a thread that never reaches its
// start (one the system made without telling the loader) must not hold the program forever.
void WaitForOtherThreadsToStart();

} // namespace quillery::wintest
