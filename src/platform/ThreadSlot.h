#pragma once

namespace quillery {

// What the component keeps for one thread from one request to the next.
struct ThreadState {
    // True while a menu request runs on the thread: a page's script that calls again from
    // inside the menu's modal loop is refused rather than opening a second menu over the first.
    bool requestRunning = false;
};

// Each thread's state, created on the thread's first use: the system tells a component nothing
// about the threads that were running before it was loaded.
class ThreadSlot {
public:
    virtual ~ThreadSlot() = default;

    // The calling thread's state, created on first use.
    virtual ThreadState& Current() = 0;

    // Frees the calling thread's state (the thread is ending); the next use creates a fresh one.
    virtual void ReleaseCurrent() noexcept = 0;
};

} // namespace quillery
