// Two menu requests in one process, as a browser whose tabs run on threads of their own makes
// them: each thread a single-threaded apartment that creates Pennock.DoBiz through COM and calls
// loadmenu, the real pointer moved and a real click.

#include "Win32TestSupport.h"

#include "base/ScopeExit.h"
#include "menuwindows/SnippetMenuWindows.h"
#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillery {
namespace {

using namespace std::chrono_literals;
using win32::UniqueBstr;
using win32::UniqueCom;
using win32::UniqueFile;
using win32::UniqueHandle;
using win32::UniqueModule;
using wintest::LineCentreY;
using wintest::WaitFor;

constexpr const wchar_t* kPopupClass = L"QuillerySnippetMenu";

bool IsPopup(HWND window) {
    wchar_t name[64] = L"";
    return window != nullptr && ::GetClassNameW(window, name, 64) > 0 &&
           std::wstring(name) == kPopupClass;
}

BOOL CALLBACK FindVisiblePopup(HWND window, LPARAM found) {
    if (IsPopup(window) && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// How many pop-ups there are on the screen, in any process, besides `window`.
int PopupsBesides(HWND window) {
    int count = 0;
    for (HWND popup = nullptr; (popup = ::FindWindowExW(nullptr, popup, kPopupClass, nullptr));) {
        count += popup != window ? 1 : 0;
    }
    return count;
}

// The visible pop-up of one thread, or null.
HWND VisiblePopupOf(DWORD thread) {
    HWND found = nullptr;
    ::EnumThreadWindows(thread, &FindVisiblePopup, reinterpret_cast<LPARAM>(&found));
    return found;
}

RECT RectOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

bool PointerIsAt(POINT wanted) {
    POINT pointer{};
    return ::GetCursorPos(&pointer) && pointer.x == wanted.x && pointer.y == wanted.y;
}

// Moves the pointer and waits until the system reports it there.
bool MovePointer(POINT to) {
    ::SetCursorPos(to.x, to.y);
    return WaitFor([&] { return PointerIsAt(to); });
}

// The pop-up puts the pointer onto its banner (its top 33 pixels) as it opens.
bool PointerOnBanner(HWND popup) {
    const RECT rect = RectOf(popup);
    POINT pointer{};
    return ::GetCursorPos(&pointer) && pointer.x >= rect.left && pointer.x < rect.right &&
           pointer.y >= rect.top && pointer.y < rect.top + 33;
}

// A left click at a point of the screen, the move and the buttons as one piece of input.
void ClickAt(POINT point) {
    // Absolute input runs from 0 to 65536 across the screen; rounded up, it maps back onto
    // the pixel.
    const auto scaled = [](LONG pixel, int screen) {
        return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screen - 1) / screen);
    };
    INPUT clicks[2] = {};
    for (INPUT& click : clicks) {
        click.type = INPUT_MOUSE;
        click.mi.dx = scaled(point.x, ::GetSystemMetrics(SM_CXSCREEN));
        click.mi.dy = scaled(point.y, ::GetSystemMetrics(SM_CYSCREEN));
    }
    clicks[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    ::SendInput(2, clicks, sizeof(INPUT));
}

// A pop-up's entries by name, as a screen reader reads them from another thread.
std::vector<std::wstring> EntryNames(HWND popup) {
    UniqueCom<IAccessible> menu;
    if (::AccessibleObjectFromWindow(popup, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                     reinterpret_cast<void**>(menu.put())) != S_OK) {
        return {L"<no accessible object>"};
    }
    long count = 0;
    menu.get()->get_accChildCount(&count);
    std::vector<std::wstring> names;
    for (long id = 1; id <= count; ++id) {
        VARIANT child;
        ::VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = id;
        UniqueBstr name;
        menu.get()->get_accName(child, name.put());
        names.emplace_back(name ? name.get() : L"<none>");
    }
    return names;
}

// Another program's change to the data file while a menu has it open: written in place through
// a handle that shares the file, as the menu's own handle does.
void OverwriteShared(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD put = 0;
    if (!file ||
        !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) ||
        put != bytes.size()) {
        throw std::runtime_error("cannot change the data file");
    }
}

// A copy of Pennock.dll in a folder of its own, beside its Menu.dat, registered as the server
// of Pennock.DoBiz while this lives.
class RegisteredServer {
public:
    explicit RegisteredServer(const std::wstring& folder) {
        const std::wstring copy = folder + L"\\Pennock.dll";
        if (!::CopyFileW((wintest::ProgramDirectory() + L"\\Pennock.dll").c_str(), copy.c_str(),
                         FALSE)) {
            return;
        }
        dll_.reset(::LoadLibraryW(copy.c_str()));
        registered_ = dll_ && Call("DllRegisterServer") == S_OK;
    }
    ~RegisteredServer() {
        if (registered_) {
            Call("DllUnregisterServer");
        }
    }
    RegisteredServer(const RegisteredServer&) = delete;
    RegisteredServer& operator=(const RegisteredServer&) = delete;

    bool registered() const { return registered_; }

private:
    HRESULT Call(const char* name) {
        const auto entry = reinterpret_cast<HRESULT(WINAPI*)()>(
            reinterpret_cast<void*>(::GetProcAddress(dll_.get(), name)));
        return entry != nullptr ? entry() : E_NOTIMPL;
    }

    UniqueModule dll_;
    bool registered_ = false;
};

// One tab of the browser: a thread of its own in a single-threaded apartment, which creates
// Pennock.DoBiz by its ProgID as a page's script does, and calls loadmenu when told to.
class Tab {
public:
    Tab() : thread_([this] { Run(); }) { ::WaitForSingleObject(ready_.get(), INFINITE); }
    ~Tab() {
        ::SetEvent(go_.get()); // a tab that was never asked ends without a request
        thread_.Join();
    }
    Tab(const Tab&) = delete;
    Tab& operator=(const Tab&) = delete;

    HRESULT created() const { return created_; }
    DWORD threadId() const { return threadId_; }

    void Request() {
        requested_ = true;
        ::SetEvent(go_.get());
    }
    bool Finished() const { return ::WaitForSingleObject(done_.get(), 0) == WAIT_OBJECT_0; }
    // Once finished: what loadmenu answered, and its text.
    HRESULT answer() const { return answer_; }
    const std::wstring& text() const { return text_; }

    // The snippet menus on the screen besides the one this tab's request was making, counted
    // as its window was created; -1 before that.
    int MenusBesideItsOwn() const { return menusBesideItsOwn_; }
    // Pointer moves that the menu's thread has taken from its queue.
    int Moves() const { return moves_; }
    // WM_NULL messages posted to the menu that its thread has taken from its queue.
    int Nulls() const { return nulls_; }
    // While held, the watch's ticks are taken from the queue and dropped unseen: the test
    // stands in for a pointer that never left the menu.
    std::atomic<bool> holdTicks{false};

private:
    void Run() {
        threadId_ = ::GetCurrentThreadId();
        const ScopeExit finished([this] { ::SetEvent(done_.get()); });
        if (FAILED(::CoInitialize(nullptr))) {
            created_ = E_UNEXPECTED;
            ::SetEvent(ready_.get());
            return;
        }
        {
            wintest::ThreadHook<WH_GETMESSAGE> watch([this](int, WPARAM removal, LPARAM message) {
                auto& taken = *reinterpret_cast<MSG*>(message);
                if (removal != PM_REMOVE || !IsPopup(taken.hwnd)) {
                    return;
                }
                if (taken.message == WM_MOUSEMOVE) {
                    ++moves_;
                }
                if (taken.message == WM_NULL) {
                    ++nulls_;
                }
                if (taken.message == WM_TIMER && holdTicks) {
                    taken.message = WM_NULL;
                }
            });
            wintest::ThreadHook<WH_CBT> creation([this](int code, WPARAM window, LPARAM) {
                if (code == HCBT_CREATEWND && IsPopup(reinterpret_cast<HWND>(window))) {
                    menusBesideItsOwn_ = PopupsBesides(reinterpret_cast<HWND>(window));
                }
            });
            UniqueCom<IDispatch> object;
            CLSID server{};
            created_ = ::CLSIDFromProgID(L"Pennock.DoBiz", &server);
            if (SUCCEEDED(created_)) {
                created_ = ::CoCreateInstance(server, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                              reinterpret_cast<void**>(object.put()));
            }
            ::SetEvent(ready_.get());
            ::WaitForSingleObject(go_.get(), INFINITE);
            if (requested_ && object) {
                answer_ = LoadMenuByName(object.get());
            }
        }
        ::CoUninitialize();
    }

    // loadmenu called late-bound, by name, as a script calls it.
    HRESULT LoadMenuByName(IDispatch* object) {
        wchar_t name[] = L"loadmenu";
        LPOLESTR names[] = {name};
        DISPID id = 0;
        HRESULT result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(result)) {
            return result;
        }
        DISPPARAMS noArguments{};
        VARIANT returned;
        ::VariantInit(&returned);
        result = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &noArguments,
                                &returned, nullptr, nullptr);
        if (SUCCEEDED(result) && returned.vt == VT_BSTR) {
            text_.assign(returned.bstrVal != nullptr ? returned.bstrVal : L"",
                         ::SysStringLen(returned.bstrVal));
        }
        ::VariantClear(&returned);
        return result;
    }

    UniqueHandle ready_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle go_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle done_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> requested_{false};
    std::atomic<int> menusBesideItsOwn_{-1};
    std::atomic<int> moves_{0};
    std::atomic<int> nulls_{0};
    HRESULT created_ = E_PENDING;
    DWORD threadId_ = 0;
    HRESULT answer_ = E_PENDING;
    std::wstring text_ = L"unset";
    wintest::Thread thread_; // last: it starts at once and uses everything above
};

// The messages that a window of the menu's class that is not Quillery's was sent or posted.
std::atomic<int> decoyReached{0};

LRESULT CALLBACK DecoyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NULL || message == win32::CloseWithoutChoiceMessage()) {
        ++decoyReached;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The test's own thread reads the menus as a screen reader does, from the process's
// multithreaded apartment.
class MultithreadedApartment {
public:
    MultithreadedApartment() : result_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~MultithreadedApartment() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    MultithreadedApartment(const MultithreadedApartment&) = delete;
    MultithreadedApartment& operator=(const MultithreadedApartment&) = delete;

private:
    HRESULT result_;
};

// Waits until the tab's menu is up with the pointer on its banner, and the menu has been told
// of the pointer by a move message. Until then the window system may still put the pointer
// back where the window appeared under it, undoing a move made in the meantime.
HWND WaitForMenu(const Tab& tab) {
    HWND popup = nullptr;
    const bool ready = WaitFor([&] {
        popup = VisiblePopupOf(tab.threadId());
        return popup != nullptr && PointerOnBanner(popup) && tab.Moves() > 0;
    });
    return ready ? popup : nullptr;
}

// Two tabs each ask for a menu, the second while the first's is up: one menu at a time. The
// second request closes the first menu before it makes its own window; the first returns the
// empty string, as for any close without a choice, and the second shows the snippets it loaded
// itself and returns the line that is clicked.
TEST(TwoThreadsTest, SecondTabsRequestClosesTheFirstMenuThenOpensItsOwn) {
    MultithreadedApartment apartment;
    wintest::MessageBoxWatcher boxes;
    wintest::TempDirectory folder;
    const std::wstring menuFile = folder.File(L"Menu.dat");
    wintest::WriteWholeFile(menuFile, wintest::MenuFileBytes(L"", 1, {1, 2}));
    RegisteredServer server(folder.path());
    ASSERT_TRUE(server.registered());

    Tab first;
    Tab second;
    ASSERT_EQ(first.created(), S_OK);
    ASSERT_EQ(second.created(), S_OK);
    // However the test ends, the pointer then leaves the menus, which close at their next tick.
    const ScopeExit leaveBoth([&] {
        first.holdTicks = false;
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    });

    ASSERT_TRUE(MovePointer({150, 300}));
    first.Request();
    HWND firstPopup = WaitForMenu(first);
    ASSERT_NE(firstPopup, nullptr);
    // From here the first menu's watch never sees the pointer leave: only the second request
    // can close it, however long the second takes to open.
    first.holdTicks = true;
    // Another program changes the file: the second menu loads what is there now.
    OverwriteShared(menuFile, wintest::MenuFileBytes(L"", 1, {3, 4, 5}));
    second.Request();
    ASSERT_TRUE(WaitFor([&] { return first.Finished(); }));
    EXPECT_EQ(first.answer(), S_OK);
    EXPECT_EQ(first.text(), L"");
    EXPECT_FALSE(::IsWindow(firstPopup));

    HWND secondPopup = WaitForMenu(second);
    ASSERT_NE(secondPopup, nullptr);
    EXPECT_EQ(second.MenusBesideItsOwn(), 0) << "the first menu was still there";
    EXPECT_EQ(EntryNames(secondPopup),
              (std::vector<std::wstring>{L"Item 3", L"Item 4", L"Item 5", L"Help and Support",
                                         L"Competition Sites"}));
    const RECT secondRect = RectOf(secondPopup);
    const POINT onLine2{secondRect.left + 40, secondRect.top + LineCentreY(2)};
    ASSERT_TRUE(MovePointer(onLine2));
    ClickAt(onLine2);
    ASSERT_TRUE(WaitFor([&] { return second.Finished(); }));
    EXPECT_EQ(second.answer(), S_OK);
    EXPECT_EQ(second.text(), L"text of 4");
    EXPECT_TRUE(boxes.Seen().empty());
}

// Another program's window of the menu's class is neither asked to close nor waited for (a
// request that waited would have sent it messages until its limit), and a close that is
// posted, even one naming this process, leaves an open menu as it is.
TEST(TwoThreadsTest, AnotherProgramsWindowOfTheClassAndAPostedCloseLeaveTheMenuAlone) {
    wintest::TempDirectory folder;
    wintest::WriteWholeFile(folder.File(L"Menu.dat"), wintest::MenuFileBytes(L"", 1, {1, 2}));
    RegisteredServer server(folder.path());
    ASSERT_TRUE(server.registered());
    // The decoy is registered by the test's program, on this thread, which answers it.
    WNDCLASSW decoyClass{};
    decoyClass.lpfnWndProc = &DecoyProcedure;
    decoyClass.hInstance = ::GetModuleHandleW(nullptr);
    decoyClass.lpszClassName = kPopupClass;
    ASSERT_NE(::RegisterClassW(&decoyClass), 0);
    const win32::UniqueWindow decoy(::CreateWindowExW(0, kPopupClass, L"", WS_POPUP, 0, 0, 9, 9,
                                                      nullptr, nullptr, decoyClass.hInstance,
                                                      nullptr));
    Tab tab;
    ASSERT_EQ(tab.created(), S_OK);
    const ScopeExit leave([] {
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    });
    ASSERT_TRUE(MovePointer({150, 300}));
    tab.Request();
    HWND popup = nullptr;
    ASSERT_TRUE(wintest::PumpUntil([&] {
        popup = VisiblePopupOf(tab.threadId());
        return popup != nullptr && PointerOnBanner(popup) && tab.Moves() > 0;
    }));
    EXPECT_EQ(decoyReached, 0);

    const int nulls = tab.Nulls();
    ::PostMessageW(popup, win32::CloseWithoutChoiceMessage(), ::GetCurrentProcessId(),
                   ::GetCurrentThreadId());
    ::PostMessageW(popup, WM_NULL, 0, 0);
    // Posted messages are taken in order: once the second is taken, so was the close.
    ASSERT_TRUE(WaitFor([&] { return tab.Nulls() > nulls; }));
    EXPECT_TRUE(::IsWindow(popup));
    EXPECT_FALSE(tab.Finished());
    // Sent by this process, the close is taken, and the wait ends as the menu goes.
    EXPECT_EQ(win32::AskToClose({popup}, 5000), std::vector<HWND>{popup});
    EXPECT_TRUE(win32::WaitUntilGone({popup}, 5000));
    EXPECT_TRUE(WaitFor([&] { return tab.Finished(); }));
}

} // namespace
} // namespace quillery
