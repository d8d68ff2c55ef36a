#include "menu/MenuRequest.h"

#include "base/Failure.h"

#include "base/ScopeExit.h"

namespace quillery {

std::wstring RunMenuRequest(Platform& platform, WindowFactory& views) {
    // The thread's state lives until the thread ends, so it outlasts the request.
    ThreadState& thread = platform.threads->Current();
    if (thread.requestRunning) {
        throw Failure("a menu request is already running on this thread");
    }
    thread.requestRunning = true;
    const ScopeExit done([&thread] { thread.requestRunning = false; });

    MenuSession session(platform);
    std::wstring chosen = SnippetMenu(session, views).Show();
    platform.desktop->DoEvents();
    return chosen;
}

} // namespace quillery
