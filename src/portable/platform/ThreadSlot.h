#pragma once

namespace quillery {

// What the component keeps for each thread from one request to the next: whether a menu
// request is running on it. A page's script that calls again from inside the menu's modal loop
// is refused rather than opening a second menu over the first.
class ThreadSlot {
public:
    virtual ~ThreadSlot() = default;

    // Marks a request as running on the calling thread, or returns false and changes nothing
    // when one already is. A thread that has never asked has none running, even one that was
    // running before the component was loaded, which the system tells a component nothing of.
    virtual bool TryBeginRequest() = 0;

    // Ends the calling thread's request, so that its next one runs.
    virtual void EndRequest() noexcept = 0;
};

} // namespace quillery
