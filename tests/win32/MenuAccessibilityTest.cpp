// The pop-up as screen readers meet it: its accessible object, got from the window as a reader
// gets it, read and used from another thread while the request runs; the events a reader
// listens for; and the object kept by a reader after the window has gone.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"
#include "winapi/CriticalSection.h"
#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <atomic>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

namespace quillery {
namespace {

using win32::UniqueBstr;
using win32::UniqueCom;
using win32::UniqueHandle;
using wintest::FindVisible;
using wintest::LinePoint;
using wintest::RealPlatform;
using wintest::WaitFor;
using wintest::WriteWholeFile;

constexpr const wchar_t* kPopupClass = L"QuillerySnippetMenu";

// Items 1, 4 and 5; item 1's description marks H as its access key.
std::vector<std::uint8_t> MenuData() {
    std::vector<std::uint8_t> bytes = wintest::MenuFileBytes(L"", 1, {1, 4, 5});
    const auto first = wintest::RecordBytesOf(L"&Home address", L"12 High Street", 0);
    std::copy(first.begin(), first.end(), bytes.begin() + 2 * 232);
    return bytes;
}

VARIANT Child(long id) {
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// A text property of a child: its value, or "<none>" when the object gives none.
template <typename Getter> std::wstring TextOf(IAccessible* object, long id, Getter getter) {
    UniqueBstr text;
    const HRESULT result = (object->*getter)(Child(id), text.put());
    if (result != S_OK || !text) {
        return L"<none>";
    }
    return std::wstring(text.get(), ::SysStringLen(text.get()));
}

long NumberOf(HRESULT (STDMETHODCALLTYPE IAccessible::*getter)(VARIANT, VARIANT*),
              IAccessible* object, long id) {
    VARIANT value;
    ::VariantInit(&value);
    return (object->*getter)(Child(id), &value) == S_OK && value.vt == VT_I4 ? value.lVal : -1;
}

long StateOf(IAccessible* object, long id) {
    return NumberOf(&IAccessible::get_accState, object, id);
}

constexpr long kHot = STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_FOCUSED;

// How a reader that kept the object finds it once the window has gone: every call fails, and
// leaves nothing in its out-parameters. The object itself answers CO_E_OBJNOTCONNECTED. A proxy
// in another apartment gets its answer from COM, the object having been disconnected from its
// stubs: RPC_E_DISCONNECTED on Windows, "interface unknown" (RPC_S_UNKNOWN_IF) under Wine.
void ExpectDisconnected(IAccessible* object, bool throughAProxy) {
    const auto disconnected = [&](HRESULT result) {
        return result == CO_E_OBJNOTCONNECTED ||
               (throughAProxy &&
                (result == RPC_E_DISCONNECTED || result == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF)));
    };
    BSTR name = nullptr;
    HRESULT result = object->get_accName(Child(CHILDID_SELF), &name);
    EXPECT_TRUE(disconnected(result)) << std::hex << result;
    EXPECT_EQ(name, nullptr);
    long count = 7;
    result = object->get_accChildCount(&count);
    EXPECT_TRUE(disconnected(result)) << std::hex << result;
    long left = 1, top = 1, width = 1, height = 1;
    result = object->accLocation(&left, &top, &width, &height, Child(2));
    EXPECT_TRUE(disconnected(result)) << std::hex << result;
    if (!throughAProxy) {
        EXPECT_EQ(count, 0);
        EXPECT_EQ(width, 0);
    }
    result = object->accDoDefaultAction(Child(2));
    EXPECT_TRUE(disconnected(result)) << std::hex << result;
}

class MenuAccessibilityTest : public ::testing::Test {
protected:
    // The request's thread is a single-threaded apartment, as a browser's window thread is.
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        ::SetCursorPos(200, 300);
        WriteWholeFile(platform.MenuFile(), MenuData());
    }
    void TearDown() override { ::CoUninitialize(); }

    // Runs a request on this thread while `reader` plays the user's and the screen reader's
    // part on a thread of its own (in the process's multithreaded apartment). After the request
    // this thread goes on serving COM calls, as a browser's thread does, until the reader ends.
    // Should the reader end with the pop-up still open, the pointer then leaves it.
    std::wstring RequestWhileReading(const std::function<void()>& reader,
                                     win32::Win32WindowFactory& views) {
        UniqueHandle readerDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::wstring result;
        {
            wintest::Thread thread([&] {
                ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                reader();
                if (HWND popup = FindVisible(kPopupClass)) {
                    RECT rect{};
                    ::GetWindowRect(popup, &rect);
                    ::SetCursorPos(rect.right + 40, rect.bottom + 40);
                }
                ::CoUninitialize();
                ::SetEvent(readerDone.get());
            });
            result = RunMenuRequest(platform.port, views);
            HANDLE done = readerDone.get();
            while (::MsgWaitForMultipleObjects(1, &done, FALSE, 60000, QS_ALLINPUT) ==
                   WAIT_OBJECT_0 + 1) {
                MSG msg;
                while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    ::DispatchMessageW(&msg);
                }
            }
        }
        return result;
    }

    RealPlatform platform;
    wintest::MessageBoxWatcher boxes;
};

// A reader on another thread reads the pop-up and its entries, follows the highlight, inserts
// line 2 through its default action, and finds its object disconnected once the request is
// over.
TEST_F(MenuAccessibilityTest, AReaderReadsTheEntriesAndInsertsALine) {
    struct Entry {
        std::wstring name, description, shortcut, action;
    };
    std::vector<Entry> entries;
    long role = -1, childRole = -1, count = -1, stateBefore = -1, hotLine = -1, focus = -1;
    std::wstring name;
    RECT window{}, line2{}, expected2{};
    long hitOnLine3 = -1;
    std::vector<long> walked; // from the first child, next until the end
    long walkEnd = -1, lastChild = -1, beforeFirst = -1;
    HRESULT action = E_UNEXPECTED;
    UniqueCom<IAccessible> kept;
    const std::wstring result = RequestWhileReading(
        [&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(kPopupClass)) != nullptr; }));
            ASSERT_EQ(::AccessibleObjectFromWindow(popup, static_cast<DWORD>(OBJID_CLIENT),
                                                   IID_IAccessible,
                                                   reinterpret_cast<void**>(kept.put())),
                      S_OK);
            IAccessible* menu = kept.get();
            role = NumberOf(&IAccessible::get_accRole, menu, CHILDID_SELF);
            childRole = NumberOf(&IAccessible::get_accRole, menu, 1);
            name = TextOf(menu, CHILDID_SELF, &IAccessible::get_accName);
            menu->get_accChildCount(&count);
            for (long id = 1; id <= count; ++id) {
                entries.push_back({TextOf(menu, id, &IAccessible::get_accName),
                                   TextOf(menu, id, &IAccessible::get_accDescription),
                                   TextOf(menu, id, &IAccessible::get_accKeyboardShortcut),
                                   TextOf(menu, id, &IAccessible::get_accDefaultAction)});
            }
            stateBefore = StateOf(menu, 2);
            // Navigation: the child reached, 0 for the end (S_FALSE and nothing given).
            const auto navigate = [menu](long direction, long from) -> long {
                VARIANT end;
                ::VariantInit(&end);
                const HRESULT answer = menu->accNavigate(direction, Child(from), &end);
                if (answer == S_FALSE && end.vt == VT_EMPTY) {
                    return 0;
                }
                return answer == S_OK && end.vt == VT_I4 ? end.lVal : -1;
            };
            for (walkEnd = navigate(NAVDIR_FIRSTCHILD, CHILDID_SELF);
                 walkEnd > 0 && walked.size() < 10; walkEnd = navigate(NAVDIR_NEXT, walkEnd)) {
                walked.push_back(walkEnd);
            }
            lastChild = navigate(NAVDIR_LASTCHILD, CHILDID_SELF);
            beforeFirst = navigate(NAVDIR_PREVIOUS, 1);

            ::PostMessageW(popup, WM_MOUSEMOVE, 0, LinePoint(2));
            ASSERT_TRUE(WaitFor([&] { return (StateOf(menu, 2) & kHot) == kHot; }));
            hotLine = StateOf(menu, 1) & kHot;
            VARIANT focused;
            ::VariantInit(&focused);
            if (menu->get_accFocus(&focused) == S_OK && focused.vt == VT_I4) {
                focus = focused.lVal;
            }
            ::GetWindowRect(popup, &window);
            long left = 0, top = 0, width = 0, height = 0;
            menu->accLocation(&left, &top, &width, &height, Child(2));
            line2 = RECT{left, top, left + width, top + height};
            // Line 2 with its pad: frame x 45 to 2475, y 825 to 1065 twips; the frame's top
            // lies 90 twips above the window's.
            expected2 = RECT{window.left + 3, window.top + 49, window.left + 165, window.top + 65};
            VARIANT hit;
            ::VariantInit(&hit);
            if (menu->accHitTest(window.left + 60, window.top + wintest::LineCentreY(3), &hit) ==
                    S_OK &&
                hit.vt == VT_I4) {
                hitOnLine3 = hit.lVal;
            }

            action = menu->accDoDefaultAction(Child(2));
            WaitFor([&] { return !::IsWindow(popup); });
            // The window has gone, the request has returned, and the reader still holds it.
            ExpectDisconnected(menu, /*throughAProxy=*/true);
            kept.reset();
        },
        platform.views);

    EXPECT_EQ(role, ROLE_SYSTEM_MENUPOPUP);
    EXPECT_EQ(childRole, ROLE_SYSTEM_MENUITEM);
    EXPECT_EQ(name, L"Quillery");
    EXPECT_EQ(count, 5);
    ASSERT_EQ(entries.size(), 5u);
    const Entry want[] = {
        {L"Home address", L"12 High Street", L"H", L"Insert"},
        {L"Item 4", L"text of 4", L"<none>", L"Insert"},
        {L"Item 5", L"text of 5", L"<none>", L"Insert"},
        {L"Help and Support", L"<none>", L"<none>", L"Open"},
        {L"Competition Sites", L"<none>", L"<none>", L"Open"},
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].name, want[i].name) << i + 1;
        EXPECT_EQ(entries[i].description, want[i].description) << i + 1;
        EXPECT_EQ(entries[i].shortcut, want[i].shortcut) << i + 1;
        EXPECT_EQ(entries[i].action, want[i].action) << i + 1;
    }
    EXPECT_EQ(walked, (std::vector<long>{1, 2, 3, 4, 5}));
    EXPECT_EQ(std::tuple(walkEnd, lastChild, beforeFirst), std::tuple(0L, 5L, 0L));
    EXPECT_EQ(stateBefore, STATE_SYSTEM_FOCUSABLE);
    EXPECT_EQ(hotLine, 0) << "only the highlighted line is hot";
    EXPECT_EQ(focus, 2);
    EXPECT_TRUE(::EqualRect(&line2, &expected2))
        << line2.left - window.left << "," << line2.top - window.top << " "
        << line2.right - window.left << "," << line2.bottom - window.top;
    EXPECT_EQ(hitOnLine3, 3);
    EXPECT_EQ(action, S_OK);
    EXPECT_EQ(result, L"text of 4");
    EXPECT_TRUE(boxes.Seen().empty());
}

// The events of the pop-up's client area that a reader listens for, in context: the listener
// runs on the window's thread, inside the call that raises the event.
class EventListener {
public:
    struct Event {
        DWORD event;
        LONG child;
    };

    explicit EventListener(std::function<void(HWND, DWORD, LONG)> alsoOnEvent = {})
        : alsoOnEvent_(std::move(alsoOnEvent)) {
        current_ = this;
        hook_ = ::SetWinEventHook(EVENT_SYSTEM_MENUPOPUPSTART, EVENT_OBJECT_FOCUS,
                                  ::GetModuleHandleW(nullptr), &Call, ::GetCurrentProcessId(), 0,
                                  WINEVENT_INCONTEXT);
    }
    ~EventListener() {
        ::UnhookWinEvent(hook_);
        current_ = nullptr;
    }
    EventListener(const EventListener&) = delete;
    EventListener& operator=(const EventListener&) = delete;

    bool Hooked() const { return hook_ != nullptr; }
    std::vector<Event> Seen() const {
        const std::lock_guard<win32::CriticalSection> guard(lock_);
        return seen_;
    }
    bool Saw(DWORD event, LONG child) const {
        for (const Event& seen : Seen()) {
            if (seen.event == event && seen.child == child) {
                return true;
            }
        }
        return false;
    }

private:
    static void CALLBACK Call(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                              DWORD, DWORD) {
        wchar_t name[64] = L"";
        if (current_ == nullptr || object != OBJID_CLIENT || window == nullptr ||
            ::GetClassNameW(window, name, 64) == 0 || std::wstring(name) != kPopupClass) {
            return;
        }
        if (event != EVENT_SYSTEM_MENUPOPUPSTART && event != EVENT_SYSTEM_MENUPOPUPEND &&
            !(event == EVENT_OBJECT_FOCUS && child != CHILDID_SELF)) {
            return; // the window system's own focus events name the window itself
        }
        {
            const std::lock_guard<win32::CriticalSection> guard(current_->lock_);
            current_->seen_.push_back({event, child});
        }
        if (current_->alsoOnEvent_) {
            current_->alsoOnEvent_(window, event, child);
        }
    }

    static inline EventListener* current_ = nullptr;
    std::function<void(HWND, DWORD, LONG)> alsoOnEvent_;
    mutable win32::CriticalSection lock_;
    std::vector<Event> seen_;
    HWINEVENTHOOK hook_ = nullptr;
};

// The pop-up's opening, each move of the highlight (onto another line or a link; none for a
// move within the same line) and its closing, in that order.
TEST_F(MenuAccessibilityTest, EventsTellOpeningHighlightAndClosing) {
    EventListener events;
    ASSERT_TRUE(events.Hooked());
    RequestWhileReading(
        [&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(kPopupClass)) != nullptr; }));
            ASSERT_TRUE(WaitFor([&] { return events.Saw(EVENT_SYSTEM_MENUPOPUPSTART, 0); }));
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, LinePoint(2));
            ASSERT_TRUE(WaitFor([&] { return events.Saw(EVENT_OBJECT_FOCUS, 2); }));
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, MAKELPARAM(60, wintest::LineCentreY(2) + 2));
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, LinePoint(3));
            ASSERT_TRUE(WaitFor([&] { return events.Saw(EVENT_OBJECT_FOCUS, 3); }));
            // "Help and Support", the fourth entry: frame y 1505, window y 1415 twips.
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, MAKELPARAM(40, (1415 + 120) / 15));
            ASSERT_TRUE(WaitFor([&] { return events.Saw(EVENT_OBJECT_FOCUS, 4); }));
            ::PostMessageW(popup, WM_CLOSE, 0, 0);
        },
        platform.views);
    std::vector<std::pair<DWORD, LONG>> seen;
    for (const auto& event : events.Seen()) {
        seen.emplace_back(event.event, event.child);
    }
    const std::vector<std::pair<DWORD, LONG>> expected{
        {EVENT_SYSTEM_MENUPOPUPSTART, CHILDID_SELF},
        {EVENT_OBJECT_FOCUS, 2},
        {EVENT_OBJECT_FOCUS, 3},
        {EVENT_OBJECT_FOCUS, 4},
        {EVENT_SYSTEM_MENUPOPUPEND, CHILDID_SELF},
    };
    EXPECT_EQ(seen, expected);
}

std::atomic<int> g_objectsAlive{0};

// A reader inside the process (as readers hook themselves into a browser) holds the object
// itself rather than a proxy. Its default action returns before the line is chosen, with the
// window still open: the choice, which closes the window and ends the request, runs after the
// reader's call. Once the window is gone every call fails, and the object counts in the
// module's uses exactly as long as the reader holds it: not longer for an object handed to a
// client that never took it.
TEST_F(MenuAccessibilityTest, AReaderInTheProcessKeepsTheObjectPastTheWindow) {
    win32::Win32WindowFactory views(::GetModuleHandleW(nullptr),
                                    win32::ModuleUse{+[]() noexcept { ++g_objectsAlive; },
                                                     +[]() noexcept { --g_objectsAlive; }});
    UniqueCom<IAccessible> kept; // used on the window's thread only
    HRESULT action = E_UNEXPECTED;
    bool openAfterTheCall = false;
    EventListener events([&](HWND popup, DWORD event, LONG child) {
        if (event == EVENT_SYSTEM_MENUPOPUPSTART) {
            ::AccessibleObjectFromWindow(popup, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(kept.put()));
        } else if (event == EVENT_OBJECT_FOCUS && child == 2 && kept) {
            action = kept.get()->accDoDefaultAction(Child(2));
            openAfterTheCall = ::IsWindowVisible(popup) != FALSE;
        }
    });
    ASSERT_TRUE(events.Hooked());
    const std::wstring result = RequestWhileReading(
        [&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(kPopupClass)) != nullptr; }));
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, LinePoint(2));
            WaitFor([&] { return !::IsWindow(popup); });
        },
        views);
    EXPECT_EQ(result, L"text of 4");
    EXPECT_EQ(action, S_OK);
    EXPECT_TRUE(openAfterTheCall);
    ASSERT_TRUE(kept);
    ExpectDisconnected(kept.get(), /*throughAProxy=*/false);
    EXPECT_EQ(g_objectsAlive, 1) << "the reader holds it";
    kept.reset();
    EXPECT_EQ(g_objectsAlive, 0);
}

} // namespace
} // namespace quillery
