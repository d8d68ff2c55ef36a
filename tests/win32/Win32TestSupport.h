#pragma once

#include "platform/Platform.h"
#include "support/RecordLayout.h"
#include "win32/AcpCodec.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Shell.h"
#include "win32/Win32SystemInfo.h"
#include "win32/Win32ThreadSlot.h"

// These bring in <windows.h>.
#include "views/Win32WindowFactory.h"
#include "winapi/CriticalSection.h"
#include "winapi/UniqueResource.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quillery::wintest {

// Runs `body` on a thread of its own, started at once; Join() and the destructor wait for it to
// end. The Windows build's thread model has no std::thread. As with std::thread, an exception
// that leaves `body` ends the program.
class Thread {
public:
    explicit Thread(std::function<void()> body);
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void Join();

private:
    static DWORD WINAPI Run(void* self) noexcept;

    std::function<void()> body_;
    win32::UniqueHandle handle_;
};

// One message box seen on the screen.
struct SeenBox {
    std::wstring text;
    std::wstring title;
    std::vector<int> buttons; // control ids of its buttons
    std::wstring icon;        // "stop", "exclamation", "question", "none" or "other"
};

// Watches for message boxes of this process while it lives, from a thread of its own: reads
// each box's title, body and buttons, then answers it by pressing a button (the next queued
// answer, IDOK when none is queued). The code under test shows real boxes and never waits for
// a person.
class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    void QueueAnswer(int button);

    // Runs on the watcher's thread while each box is up, before it is answered.
    void WhileShown(std::function<void()> hook);
    std::vector<SeenBox> Seen() const;
    std::vector<std::wstring> Texts() const;

private:
    void Watch();
    void Answer(HWND box);

    mutable win32::CriticalSection lock_;
    std::vector<SeenBox> seen_;
    std::deque<int> answers_;
    std::function<void()> whileShown_;
    std::vector<HWND> answered_; // boxes already answered that may still be closing
    std::atomic<bool> stop_{false};
    Thread thread_;
};

// A fresh directory under the system's temporary directory, or under `parent`, removed with
// everything in it.
class TempDirectory {
public:
    TempDirectory();
    explicit TempDirectory(const std::wstring& parent);
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// The real system, except that the component's directory is a temporary one.
class TempDirSystemInfo final : public SystemInfo {
public:
    explicit TempDirSystemInfo(std::wstring directory) : directory_(std::move(directory)) {}
    std::optional<std::uint32_t> VolumeSerialNumber(const std::wstring& root) override {
        return real_.VolumeSerialNumber(root);
    }
    std::wstring ComponentDirectory() override { return directory_; }
    std::wstring ExecutableName() override { return L"Pennock"; }

private:
    win32::Win32SystemInfo real_{::GetModuleHandleW(nullptr)};
    std::wstring directory_;
};

// The Win32 platform for one test, with its data file in a temporary directory: `port` holds
// it. Its thread slot is its own, so no thread has a request running at the start. `views`
// makes the real windows, in the test program's module.
class RealPlatform {
public:
    RealPlatform();
    explicit RealPlatform(const std::wstring& parentOfDataDirectory); // on another drive, say
    RealPlatform(const RealPlatform&) = delete;
    RealPlatform& operator=(const RealPlatform&) = delete;

    std::wstring MenuFile() const { return dir.File(L"Menu.dat"); }

    TempDirectory dir;
    win32::Win32FileSystem files;
    win32::AcpCodec ansi;
    win32::Win32Dialogs dialogs;
    TempDirSystemInfo system{dir.path()};
    win32::Win32Desktop desktop;
    win32::Win32Shell shell{ansi};
    win32::Win32ThreadSlot threads;
    Platform port;
    win32::Win32WindowFactory views{::GetModuleHandleW(nullptr)};
};

// Whole-file access for checking what the code under test wrote.
std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes);

// Rewrites an existing file in place as another program may while the component has it open:
// opened sharing reading and writing, cut to nothing and written anew. Whether it was written.
bool RewriteInPlace(const std::wstring& path, const std::vector<std::uint8_t>& bytes);

// A data file of whole records: record n at (n - 1) * 232, with the text "text of DESCRIPTION".
std::vector<std::uint8_t>
DataFileBytes(const std::vector<std::pair<int, std::wstring>>& descriptionsByRecord);

// One record's bytes, written by hand from the file's layout.
using test_bytes::RecordBytesOf;

// A data file of 22 records: the header with `base` and `flag`, and item n of `items` as
// "Item n" with the text "  text of n" (blanks before it, as a user may type them).
std::vector<std::uint8_t> MenuFileBytes(const std::wstring& base, std::int16_t flag,
                                        const std::vector<int>& items);

// Record `number` of a data file's bytes.
std::vector<std::uint8_t> RecordOf(const std::vector<std::uint8_t>& bytes, int number);

// The directory of this test program, where the build puts a copy of Pennock.dll.
std::wstring ProgramDirectory();

bool RunningOnWine();

// Under Wine: the host system's path of a Windows path; empty elsewhere.
std::string HostPath(const std::wstring& path);

// Under Wine: runs a program of the host system, not a Windows one, as another program of the
// user's would act on the files (unbound by Windows' sharing rules), and waits for it to end.
// Whether it ran and succeeded; false elsewhere.
bool RunOnHost(const std::vector<std::string>& arguments);

// Under Wine: runs xdotool on the display with `arguments`; whether it succeeded.
bool Xdotool(std::vector<std::string> arguments);

// Under Wine: whether the display's keyboard focus is on the X window that Wine made for the
// top-level `window`: where a key pressed on the display goes.
bool HasDisplayFocus(HWND window);

// A visible top-level window of the given class, or null.
HWND FindVisible(const wchar_t* className);

// The pop-up's line n at 96 dots per inch: the height of its centre below the window's top
// edge, and a point on it (40 pixels in) as a mouse message's client coordinates.
constexpr int LineCentreY(int line) {
    return (585 + 240 * (line - 1) - 90 + 120) / 15;
}
inline LPARAM LinePoint(int line) {
    return MAKELPARAM(40, LineCentreY(line));
}

// Right-clicks line n of the pop-up and waits for the context menu; gives its window and menu.
bool OpenContextMenu(HWND popup, int line, HWND& menuWindow, HMENU& menu);

// The user's part of an edit, for a User: on the open pop-up, right-clicks line `line`,
// picks the command whose access key is `command` (L'n' New, L'e' Edit), runs `meanwhile`
// while the editor is open, makes the description `description` and presses Apply, then runs
// `afterApply` with the editor's window (which may close the editor itself). Then closes the
// pop-up, unless a report has closed it. Whether each window came and went.
bool EditAndApply(int line, wchar_t command, const std::wstring& description,
                  const std::function<void()>& meanwhile = {},
                  const std::function<void(HWND)>& afterApply = {});

// Polls `condition` until it holds or the time is up; whether it held.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds limit = std::chrono::seconds(10));

// Dispatches the calling thread's messages until `condition` holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition);

inline constexpr const wchar_t* kCallerClass = L"QuilleryTestHost";

// The window of the program that calls the component (class kCallerClass), on the calling
// thread, shown and made the foreground window, away from where the pop-up opens.
class CallerWindow {
public:
    CallerWindow();
    ~CallerWindow() { ::DestroyWindow(window_); }
    CallerWindow(const CallerWindow&) = delete;
    CallerWindow& operator=(const CallerWindow&) = delete;

    HWND get() const { return window_; }
    bool InForeground() const {
        return ::GetForegroundWindow() == window_ && ::IsWindowEnabled(window_);
    }

private:
    HWND window_ = nullptr;
};

// A window hook of type `Type` (WH_CBT, WH_CALLWNDPROC, ...) on the calling thread while it
// lives: `observe` sees each call the window system makes of it (code, wParam, lParam). One of
// each type at a time per thread.
template <int Type> class ThreadHook {
public:
    explicit ThreadHook(std::function<void(int, WPARAM, LPARAM)> observe)
        : observe_(std::move(observe)) {
        current_ = this;
        hook_ = ::SetWindowsHookExW(Type, &Call, nullptr, ::GetCurrentThreadId());
    }
    ~ThreadHook() {
        ::UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    ThreadHook(const ThreadHook&) = delete;
    ThreadHook& operator=(const ThreadHook&) = delete;

private:
    static LRESULT CALLBACK Call(int code, WPARAM wParam, LPARAM lParam) {
        if (code >= 0 && current_ != nullptr) {
            current_->observe_(code, wParam, lParam);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline thread_local ThreadHook* current_ = nullptr;
    std::function<void(int, WPARAM, LPARAM)> observe_;
    HHOOK hook_ = nullptr;
};

// Plays the user's part on a thread of its own while a menu request runs on the test's
// thread. Should the actions end with the pop-up still open, the pointer then leaves it, so
// that the request ends at the next tick instead of waiting for ever.
class User {
public:
    explicit User(std::function<void()> actions);
    ~User();
    User(const User&) = delete;
    User& operator=(const User&) = delete;

private:
    Thread thread_;
};

} // namespace quillery::wintest
