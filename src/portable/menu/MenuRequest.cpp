#include "menu/MenuRequest.h"

#include "base/Failure.h"

#include "base/ScopeExit.h"

namespace quillery {

std::wstring RunMenuRequest(Platform& platform, WindowFactory& views, MenuOpening opening) {
    // The mark is the thread's, so a request further up the thread's stack is seen.
    ThreadSlot& thread = *platform.threads;
    if (!thread.TryBeginRequest()) {
        throw Failure("a menu request is already running on this thread");
    }
    const ScopeExit done([&thread] { thread.EndRequest(); });
    // Only now: a request refused above must not close the menu it was made from.
    views.CloseOtherMenus();

    MenuSession session(platform);
    std::wstring chosen = SnippetMenu(session, views, opening).Show();
    platform.desktop->DoEvents();
    return chosen;
}

} // namespace quillery
