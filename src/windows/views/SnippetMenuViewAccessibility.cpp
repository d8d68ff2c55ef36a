// What the snippet menu's window tells screen readers: its accessible object, handed out for
// its client area, and the events of a menu (opened, the highlighted entry, closed).

#include "views/SnippetMenuView.h"

namespace quillery::win32 {

// The object is made at the first request and handed out for the client area only; the window's
// frame and anything else are the system's standard objects. Once the window is closing none is
// made again. Should the object not be handed over (no COM on this thread), the standard object
// stands in for it.
LRESULT SnippetMenuView::AnswerObjectRequest(WPARAM wParam, LPARAM lParam) {
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT) || closing_) {
        return DefWindowProcW(window_, WM_GETOBJECT, wParam, lParam);
    }
    if (!accessible_) {
        accessible_.reset(MenuAccessible::Create(menu_, window_, scale_, module_).release());
    }
    if (accessible_) {
        const LRESULT handed = LresultFromObject(IID_IAccessible, wParam,
                                                 static_cast<IAccessible*>(accessible_.get()));
        if (handed >= 0) {
            return handed;
        }
    }
    return DefWindowProcW(window_, WM_GETOBJECT, wParam, lParam);
}

void SnippetMenuView::AnnounceOpened() {
    if (announcedOpen_ || closing_) {
        return;
    }
    announcedOpen_ = true;
    NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, window_, OBJID_CLIENT, CHILDID_SELF);
    announcedEntry_ = 0;
    AnnounceHighlight();
}

// Called at each redraw, so that a highlight moved by the pointer or by a key is told alike.
void SnippetMenuView::AnnounceHighlight() {
    if (!announcedOpen_ || closing_) {
        return;
    }
    const int entry = menu_.HighlightedEntry();
    if (entry == announcedEntry_) {
        return;
    }
    announcedEntry_ = entry;
    if (entry != 0) {
        NotifyWinEvent(EVENT_OBJECT_FOCUS, window_, OBJID_CLIENT, entry);
    }
}

// The object may outlive the window in a client's hands: it is cut from the menu here, while
// the menu is still there, and answers every later call with a failure.
void SnippetMenuView::AnnounceClosedAndDisconnect() {
    if (announcedOpen_ && !closing_) {
        NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, window_, OBJID_CLIENT, CHILDID_SELF);
    }
    closing_ = true;
    accessible_.reset();
}

// A client's default action, posted by the accessible object: what a left click on the entry
// does, unless something has come in front of the window since the client asked. The same
// message posted by any other program, with no request of the object behind it, does nothing.
void SnippetMenuView::ChooseEntryForClient(WPARAM entry) {
    if (!accessible_ || !accessible_.get()->TakeRequest(entry) ||
        !MenuTakesClicks(menu_, window_) || entry > static_cast<WPARAM>(menu_.EntryCount())) {
        return;
    }
    menu_.ChooseEntry(static_cast<int>(entry));
}

} // namespace quillery::win32
