// Quillery.exe as a user meets it, each program in a process of its own: the resident program
// with its own Menu.dat, a program to type into (TypingTarget.cpp), the hotkey pressed and the
// menu clicked on the display by xdotool; and the integrity check, called here.

#include "Win32TestSupport.h"

#include "app/Resident.h"
#include "app/RunningInstance.h"
#include "app/TypingTarget.h"
#include "base/Utf8.h"
#include "menuwindows/SnippetMenuWindows.h"
#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillery {
namespace {

using namespace std::chrono_literals;
using win32::UniqueHandle;
using wintest::HasDisplayFocus;
using wintest::ProgramDirectory;
using wintest::RunOnHost;
using wintest::WaitFor;
using wintest::Xdotool;

constexpr wchar_t kResidentClass[] = L"QuilleryResident";
constexpr wchar_t kTargetClass[] = L"QuilleryTypingTarget";
const std::wstring kGreeting = L"Hello th\u00e9re";
const std::wstring kTwoLines = L"first line\r\nsecond, then a blank\r\n\r\nend";
const std::wstring kAltered = L"a b c";

// A program started by the test; still running at the end, it is ended.
class Process {
public:
    Process(const std::wstring& program, const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &started)) {
            ADD_FAILURE() << "cannot start " << std::string(program.begin(), program.end());
            return;
        }
        handle_.reset(started.hProcess);
        CloseHandle(started.hThread);
        id_ = started.dwProcessId;
    }
    ~Process() {
        if (handle_ && !Exited(0ms)) {
            TerminateProcess(handle_.get(), 99);
            WaitForSingleObject(handle_.get(), 5000);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return id_; }
    std::optional<DWORD> Exited(std::chrono::milliseconds limit = 20s) const {
        if (!handle_ || WaitForSingleObject(handle_.get(), static_cast<DWORD>(limit.count())) !=
                            WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD status = 0;
        GetExitCodeProcess(handle_.get(), &status);
        return status;
    }

    // The process's visible or hidden top-level window of class `className`, once it has one.
    HWND Window(const wchar_t* className) const {
        WindowSearch search{id_, className, nullptr};
        WaitFor([&] {
            EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        });
        return search.found;
    }

private:
    struct WindowSearch {
        DWORD process;
        const wchar_t* className;
        HWND found;
    };
    static BOOL CALLBACK Match(HWND window, LPARAM param) {
        auto* search = reinterpret_cast<WindowSearch*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t name[64] = L"";
        GetClassNameW(window, name, 64);
        if (owner == search->process && lstrcmpW(name, search->className) == 0) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

    UniqueHandle handle_;
    DWORD id_ = 0;
};

BOOL CALLBACK AppendText(HWND child, LPARAM param);

// A window's text, also of another process's control (which GetWindowText does not read).
std::wstring TextOf(HWND window) {
    wchar_t text[512] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &length);
    return std::wstring(text, length);
}

BOOL CALLBACK AppendText(HWND child, LPARAM param) {
    *reinterpret_cast<std::wstring*>(param) += TextOf(child);
    return TRUE;
}

POINT CursorPos() {
    POINT point{};
    GetCursorPos(&point);
    return point;
}

class ResidentProgramTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wintest::RunningOnWine()) << "the display is driven through xdotool";
        WriteSnippets(
            {{L"Greeting", kGreeting}, {L"Two lines", kTwoLines}, {L"Altered", kAltered}});
        program_ = dir_.File(L"Quillery.exe");
        ASSERT_TRUE(
            CopyFileW((ProgramDirectory() + L"\\Quillery.exe").c_str(), program_.c_str(), FALSE));
        // Each test starts with the default hotkey, Ctrl+Shift+Insert, and quietly: the user
        // has had the first start's introduction.
        win32::UniqueKey settings;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillery", 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, settings.put(), nullptr),
                  ERROR_SUCCESS);
        RegDeleteValueW(settings.get(), L"Hotkey");
        const DWORD introduced = 1;
        RegSetValueExW(settings.get(), L"Introduced", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&introduced), sizeof(introduced));
    }
    void TearDown() override { Xdotool({"keyup", "ctrl", "shift", "Insert"}); }

    // Menu.dat beside the program: the header with the welcome window off, then the snippets as
    // items 1, 2, ... (item n is record n + 2).
    void WriteSnippets(std::initializer_list<std::pair<const wchar_t*, std::wstring>> snippets) {
        std::vector<std::uint8_t> bytes =
            wintest::RecordBytesOf(L"", L"http://www.example.com/quillery", 1);
        bytes.resize(232 * 2, 0);
        for (const auto& [description, text] : snippets) {
            const auto record = wintest::RecordBytesOf(description, text, 0);
            bytes.insert(bytes.end(), record.begin(), record.end());
        }
        bytes.resize(232 * 22, 0);
        wintest::WriteWholeFile(dir_.File(L"Menu.dat"), bytes);
    }

    // Quillery.exe started, with its window up.
    std::unique_ptr<Process> StartResident(const std::wstring& arguments = L"") {
        auto resident = std::make_unique<Process>(program_, arguments);
        EXPECT_NE(resident->Window(kResidentClass), nullptr) << "Quillery.exe made no window";
        // The shell shows the icon: Wine's, which finds no notification area on the display,
        // opens a window of its own for it, which takes the keyboard from the program in front.
        EXPECT_TRUE(WaitFor([] {
            HWND tray = FindWindowW(nullptr, L"Wine System Tray");
            return tray != nullptr && IsWindowVisible(tray);
        })) << "the shell showed no notification area with the icon";
        return resident;
    }

    // The typing target with the focus in its one-line box (`single`) or its multi-line one,
    // in front, and its caret shown.
    std::unique_ptr<Process> StartTarget(bool single) {
        return StartTarget(single ? L"single" : L"multi", single ? 1 : 2);
    }
    // The same, with the focus in its control `control`, which the command line `mode` chooses.
    std::unique_ptr<Process> StartTarget(const wchar_t* mode, int control) {
        auto target =
            std::make_unique<Process>(ProgramDirectory() + L"\\resident_target.exe", mode);
        target_ = target->Window(kTargetClass);
        EXPECT_NE(target_, nullptr);
        // Its window may be there before its controls are.
        EXPECT_TRUE(WaitFor([&] {
            edit_ = GetDlgItem(target_, control);
            return edit_ != nullptr && GetForegroundWindow() == target_ && Caret().x >= 0;
        })) << "the target did not come to the front with its caret";
        GiveTheDisplaysFocusToTheTarget();
        return target;
    }

    // Where the target says its caret is: left edge, and the row below it.
    POINT Caret() const {
        static const UINT askCaret = RegisterWindowMessageW(L"Quillery.Test.Caret");
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(target_, askCaret, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) ||
            static_cast<LRESULT>(answer) == -1) {
            return {-1, -1};
        }
        return {static_cast<short>(LOWORD(answer)), static_cast<short>(HIWORD(answer))};
    }

    // Presses the hotkey, held until the menu is there with the pointer on its banner (Quillery
    // acts only on a hotkey whose keys are down); the menu's rectangle.
    RECT OpenMenu(const std::string& keys = "ctrl+shift+Insert") {
        EXPECT_TRUE(Xdotool({"keydown", keys}));
        const RECT menu = ShownMenu();
        EXPECT_TRUE(Xdotool({"keyup", keys}));
        return menu;
    }

    static RECT ShownMenu() {
        HWND menu = nullptr;
        RECT place{};
        EXPECT_TRUE(WaitFor([&] {
            menu = wintest::FindVisible(win32::kSnippetMenuClass);
            if (menu == nullptr || !GetWindowRect(menu, &place)) {
                return false;
            }
            const POINT at = CursorPos();
            return at.x >= place.left && at.x < place.right && at.y >= place.top &&
                   at.y < place.top + 33;
        })) << "no menu with the pointer on its banner";
        // The menu is shown first and activated after: a key pressed before would go elsewhere.
        // Under Wine the display's keyboard focus follows a moment later, and a key pressed on
        // the display before then would not reach the menu either.
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == menu && HasDisplayFocus(menu); }))
            << "the menu did not take the keyboard";
        return place;
    }

    // Waits until the target, just started, is in front, then gives it the display's keyboard
    // focus: Wine's own notification-area window, which its shell opens for the icon, takes
    // the keyboard from the program in front, which Windows' taskbar does not.
    void GiveTheDisplaysFocusToTheTarget() const {
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == target_; }))
            << "the foreground did not go to the target";
        EXPECT_TRUE(Xdotool(
            {"search", "--name", "^" + ToUtf8(TextOf(target_)) + "$", "windowfocus", "--sync"}));
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == target_; }))
            << "the target did not come in front with the display's focus";
    }

    // After the menu: the program gave the target the foreground back, and with it the keyboard
    // on Windows. Under Wine the display's keyboard follows only when the target's own request
    // for it is dated after the menu's, and each process dates its requests by its own clock
    // against the display's, set by how late it took its first display event: a target started
    // on a busy machine dates them too early and is refused. So the display's focus is handed
    // to it here, once its foreground is seen.
    void ExpectTheTargetHasTheKeyboardAgain() const { GiveTheDisplaysFocusToTheTarget(); }

    // Clicks the program's icon with the left button where Wine's shell shows it: in its own
    // notification-area window, which holds no other icon in the tests.
    static void ClickTheIcon() {
        HWND icon = nullptr;
        EXPECT_TRUE(WaitFor([&] {
            HWND tray = FindWindowW(nullptr, L"Wine System Tray");
            icon = tray != nullptr ? FindWindowExW(tray, nullptr, nullptr, nullptr) : nullptr;
            return icon != nullptr && IsWindowVisible(icon);
        })) << "no icon in the notification area";
        RECT place{};
        GetWindowRect(icon, &place);
        EXPECT_TRUE(Xdotool({"mousemove", "--sync", std::to_string((place.left + place.right) / 2),
                             std::to_string((place.top + place.bottom) / 2), "click", "1"}));
    }

    static bool MenuGone() {
        return WaitFor([] { return wintest::FindVisible(win32::kSnippetMenuClass) == nullptr; });
    }

    // Clicks line `line` of the menu at `menu` with the display's real pointer.
    static void ClickLine(const RECT& menu, int line) {
        EXPECT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(menu.left + 60),
                             std::to_string(menu.top + wintest::LineCentreY(line)), "click", "1"}));
    }

    // Waits until the edit box holds `text` with the caret right after it.
    bool EditHolds(const std::wstring& text) const {
        const bool held = WaitFor([&] {
            const DWORD selection = static_cast<DWORD>(SendMessageW(edit_, EM_GETSEL, 0, 0));
            return TextOf(edit_) == text && LOWORD(selection) == text.size() &&
                   HIWORD(selection) == text.size();
        });
        if (!held) {
            ADD_FAILURE() << "the box holds \"" << ToUtf8(TextOf(edit_)) << "\"";
        }
        return held;
    }

    wintest::TempDirectory dir_;
    std::wstring program_;
    HWND target_ = nullptr;
    HWND edit_ = nullptr;
};

// The menu opens below the target's caret line, its top-left corner at the caret's bottom-left,
// so the line stays in sight; a click types the line's snippet, line breaks and all, and leaves
// the caret after it.
TEST_F(ResidentProgramTest, HotkeyOpensTheMenuAtTheCaretAndAClickTypesTheSnippet) {
    auto resident = StartResident();
    struct Case {
        bool single;
        int line;
        const std::wstring& typed;
    } cases[] = {{true, 1, kGreeting}, {false, 2, kTwoLines}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.single ? "one-line box" : "multi-line box");
        auto target = StartTarget(c.single);
        const POINT caret = Caret();
        const RECT menu = OpenMenu();
        EXPECT_EQ(menu.left, caret.x);
        EXPECT_EQ(menu.top, caret.y);
        ClickLine(menu, c.line);
        EXPECT_TRUE(EditHolds(c.typed));
        ExpectTheTargetHasTheKeyboardAgain();
        PostMessageW(target_, WM_CLOSE, 0, 0);
        EXPECT_EQ(target->Exited(), 0u);
    }
}

// A new user's first menu from the hotkey: the welcome window comes first, in front of the
// program and with the keyboard, and keys answer it; the menu that follows is in front with the
// keyboard too, and the line chosen with keys is typed.
TEST_F(ResidentProgramTest, FirstRunWelcomeThenTheMenuEachInFrontWithTheKeyboard) {
    std::vector<std::uint8_t> bytes = wintest::ReadWholeFile(dir_.File(L"Menu.dat"));
    bytes[230] = bytes[231] = 0; // the header's flag: the welcome window is on
    wintest::WriteWholeFile(dir_.File(L"Menu.dat"), bytes);
    auto resident = StartResident();
    auto target = StartTarget(/*single=*/true);
    ASSERT_TRUE(Xdotool({"keydown", "ctrl+shift+Insert"}));
    HWND welcome = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        welcome = wintest::FindVisible(L"QuilleryWelcome");
        return welcome != nullptr && GetForegroundWindow() == welcome && HasDisplayFocus(welcome);
    })) << "the welcome window did not take the keyboard";
    ASSERT_TRUE(Xdotool({"keyup", "ctrl+shift+Insert"}));
    // Continue has the focus: Tab to the box, tick it, back to Continue and press it.
    ASSERT_TRUE(Xdotool({"key", "Tab", "space", "shift+Tab", "space"}));
    const RECT menu = ShownMenu();
    const POINT middle{(menu.left + menu.right) / 2, (menu.top + menu.bottom) / 2};
    EXPECT_EQ(GetAncestor(WindowFromPoint(middle), GA_ROOT),
              wintest::FindVisible(win32::kSnippetMenuClass))
        << "the menu is not in front of the program";
    ASSERT_TRUE(Xdotool({"key", "Down", "Return"}));
    EXPECT_TRUE(EditHolds(kGreeting));
    ExpectTheTargetHasTheKeyboardAgain();
    EXPECT_EQ(wintest::ReadWholeFile(dir_.File(L"Menu.dat"))[230], 1)
        << "the ticked box did not switch the welcome window off";
}

// A program that draws its own caret tells where it is only through its accessible caret
// object: the menu opens below that caret's line, and a click types the snippet there.
TEST_F(ResidentProgramTest, HotkeyOpensTheMenuBelowAnAccessibleCaret) {
    auto resident = StartResident();
    auto target = StartTarget(L"drawn", 3);
    const POINT caret = Caret();
    const RECT menu = OpenMenu();
    EXPECT_EQ(menu.left, caret.x);
    EXPECT_EQ(menu.top, caret.y);
    ClickLine(menu, 1);
    EXPECT_TRUE(WaitFor([&] { return TextOf(edit_) == kGreeting; }))
        << "the box holds \"" << ToUtf8(TextOf(edit_)) << "\"";
}

// "/menu" with no instance running: the menu opens once below the caret of the program in
// front, the click types there, and the program ends with 0.
TEST_F(ResidentProgramTest, MenuOnceTypesTheChoiceAndEnds) {
    auto target = StartTarget(/*single=*/true);
    const POINT caret = Caret();
    Process once(program_, L"/menu");
    const RECT menu = ShownMenu();
    EXPECT_EQ(menu.left, caret.x);
    EXPECT_EQ(menu.top, caret.y);
    ClickLine(menu, 1);
    EXPECT_TRUE(EditHolds(kGreeting));
    EXPECT_EQ(once.Exited(), 0u);
}

// A program that moves its focus to another control while the menu is open gets nothing, and
// the notice names it.
TEST_F(ResidentProgramTest, FocusMovedWhileTheMenuWasOpenTypesNothingAndSaysWhy) {
    auto target = StartTarget(L"moving", 1);
    Process once(program_, L"/menu");
    const RECT menu = ShownMenu();
    EXPECT_TRUE(WaitFor([&] { return TextOf(target_) == L"Quillery typing target: focus moved"; }));
    ClickLine(menu, 1);
    HWND box = once.Window(L"#32770");
    std::wstring said;
    EXPECT_TRUE(WaitFor([&] {
        said.clear();
        EnumChildWindows(box, &AppendText, reinterpret_cast<LPARAM>(&said));
        return said.find(L"\"Quillery typing target: moving focus\" moved its keyboard focus") !=
               std::wstring::npos;
    })) << ToUtf8(said);
    EXPECT_EQ(TextOf(edit_) + TextOf(GetDlgItem(target_, 2)), L"");
}

// The integrity check reads the target's token: one that cannot be read (no process 0) is above.
TEST(RunsAboveUsTest, ReadsTheTargetsOwnLevel) {
    app::TypingTarget target;
    target.process = GetCurrentProcessId();
    EXPECT_FALSE(app::RunsAboveUs(target));
    target.process = 0;
    EXPECT_TRUE(app::RunsAboveUs(target));
}

// Ctrl and Shift, the hotkey's modifiers, still held when the line is clicked: the snippet is
// typed only once they are up, so that "a b c" does not select all, nor anything else.
TEST_F(ResidentProgramTest, ModifiersHeldAtTheClickStillTypeOnlyTheCharacters) {
    auto resident = StartResident();
    auto target = StartTarget(/*single=*/false);
    ASSERT_TRUE(Xdotool({"keydown", "ctrl", "shift"}));
    const RECT menu = OpenMenu("Insert");
    ClickLine(menu, 3);
    EXPECT_TRUE(MenuGone());
    ExpectTheTargetHasTheKeyboardAgain();
    EXPECT_EQ(TextOf(edit_), L"") << "typed while Ctrl and Shift were down";
    ASSERT_TRUE(Xdotool({"keyup", "ctrl", "shift"}));
    EXPECT_TRUE(EditHolds(kAltered));
}

// Another program comes in front while the keys are still held after the choice: the text still
// goes to the program it was chosen for, brought back first, and none to the other.
TEST_F(ResidentProgramTest, AProgramThatCameInFrontMeanwhileGetsNothing) {
    auto resident = StartResident();
    auto chosenFor = StartTarget(/*single=*/false);
    const HWND chosenBox = edit_;
    ASSERT_TRUE(Xdotool({"keydown", "ctrl", "shift"}));
    ClickLine(OpenMenu("Insert"), 1);
    EXPECT_TRUE(MenuGone());
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == target_; }));
    auto other = StartTarget(/*single=*/true);
    ASSERT_TRUE(Xdotool({"keyup", "ctrl", "shift"}));
    const HWND otherBox = std::exchange(edit_, chosenBox);
    EXPECT_TRUE(EditHolds(kGreeting));
    EXPECT_EQ(TextOf(otherBox), L"");
}

// Escape, and the pointer leaving the menu, close it without typing: the one snippet chosen
// after them is all the box holds (the program handles one hotkey at a time, in order). The
// menu's choice message, which any program can post, chose nothing before the Escape.
TEST_F(ResidentProgramTest, EscapeAndThePointerLeavingTypeNothing) {
    auto resident = StartResident();
    auto target = StartTarget(/*single=*/true);
    OpenMenu();
    PostMessageW(wintest::FindVisible(win32::kSnippetMenuClass),
                 RegisterWindowMessageW(L"Quillery.ChooseEntry"), 1, 0);
    ASSERT_TRUE(Xdotool({"key", "Escape"}));
    EXPECT_TRUE(MenuGone());
    ExpectTheTargetHasTheKeyboardAgain();
    const RECT left = OpenMenu();
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(left.right + 200),
                         std::to_string(left.bottom + 200)}));
    EXPECT_TRUE(
        WaitFor([] { return wintest::FindVisible(win32::kSnippetMenuClass) == nullptr; }, 10s))
        << "the menu stayed open after the pointer left it";
    ExpectTheTargetHasTheKeyboardAgain();
    ClickLine(OpenMenu(), 1);
    EXPECT_TRUE(EditHolds(kGreeting));
}

// The icon's menu is for the program that was in front before the icon was clicked, found by
// the windows' order: not the one in front when Quillery started, which stays the last one the
// foreground events reported, since Wine delivers none from other processes.
TEST_F(ResidentProgramTest, IconOpensTheMenuForTheProgramInFrontBeforeIt) {
    auto inFrontAtStart = StartTarget(/*single=*/true);
    const HWND startBox = edit_;
    auto resident = StartResident();
    auto inFrontBefore = StartTarget(/*single=*/false);
    ClickTheIcon();
    ClickLine(ShownMenu(), 1);
    EXPECT_TRUE(EditHolds(kGreeting));
    EXPECT_EQ(TextOf(startBox), L"");
}

// The first start for a user introduces the hotkey and the icon in a notification, and keeps
// that it did once the shell has taken it: the later starts stay quiet (StartNoticeTest).
TEST_F(ResidentProgramTest, FirstStartKeepsThatItIntroducedTheHotkey) {
    win32::UniqueKey settings;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillery", 0,
                            KEY_SET_VALUE | KEY_QUERY_VALUE, settings.put()),
              ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueW(settings.get(), L"Introduced"), ERROR_SUCCESS);
    auto resident = StartResident();
    EXPECT_TRUE(WaitFor([&] {
        DWORD introduced = 0;
        DWORD size = sizeof(introduced);
        return RegQueryValueExW(settings.get(), L"Introduced", nullptr, nullptr,
                                reinterpret_cast<BYTE*>(&introduced), &size) == ERROR_SUCCESS &&
               introduced == 1;
    })) << "the introduction was not kept as shown";
}

// Another program holds the hotkey: the icon's tooltip, which is also the window's title, says
// so, and the program keeps running until asked to end.
TEST_F(ResidentProgramTest, HotkeyHeldByAnotherProgramIsToldAndTheProgramKeepsRunning) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_SHIFT, VK_INSERT));
    auto resident = StartResident();
    HWND window = resident->Window(kResidentClass);
    EXPECT_TRUE(WaitFor([&] {
        return TextOf(window).find(L"used by another program") != std::wstring::npos;
    })) << "the tooltip does not say that the hotkey is taken";
    EXPECT_FALSE(resident->Exited(0ms));
    UnregisterHotKey(nullptr, 7);
    Process quit(program_, L"/quit");
    EXPECT_EQ(quit.Exited(), 0u);
    EXPECT_EQ(resident->Exited(), 0u);
}

// The user's choices are kept per user: the hotkey read at start (Ctrl+Shift+F9, kept as the
// key in the low byte and Ctrl 2 + Shift 4 in the next), and Start with Windows from the icon's
// menu as the user's Run key starting this very file, on and off again. A hotkey message that a
// program posts before it, the keys not down, opens no menu.
TEST_F(ResidentProgramTest, KeptHotkeyAndStartWithWindows) {
    win32::UniqueKey settings;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillery", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, settings.put(), nullptr),
              ERROR_SUCCESS);
    const DWORD kept = 0x0678;
    ASSERT_EQ(RegSetValueExW(settings.get(), L"Hotkey", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&kept), sizeof(kept)),
              ERROR_SUCCESS);
    auto resident = StartResident();
    auto target = StartTarget(/*single=*/true);
    ClickLine(OpenMenu("ctrl+shift+F9"), 1);
    EXPECT_TRUE(EditHolds(kGreeting));

    const auto runValue = [] {
        wchar_t command[MAX_PATH * 2] = L"";
        DWORD size = sizeof(command);
        win32::UniqueKey run;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                          0, KEY_QUERY_VALUE, run.put()) != ERROR_SUCCESS ||
            RegQueryValueExW(run.get(), L"Quillery", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(command), &size) != ERROR_SUCCESS) {
            return std::wstring(L"(none)");
        }
        return std::wstring(command);
    };
    HWND window = resident->Window(kResidentClass);
    PostMessageW(window, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F9));
    PostMessageW(window, WM_COMMAND, 3, 0); // Start with Windows
    EXPECT_TRUE(WaitFor([&] { return runValue() == L"\"" + program_ + L"\""; }))
        << "the Run key holds " << ToUtf8(runValue());
    EXPECT_EQ(wintest::FindVisible(win32::kSnippetMenuClass), nullptr) << "posted hotkey acted on";
    PostMessageW(window, WM_COMMAND, 3, 0);
    EXPECT_TRUE(WaitFor([&] { return runValue() == L"(none)"; }));
}

// A second start leaves the running instance as it is and ends with 0; /quit ends the running
// instance and then itself with 0; an argument it does not know is shown and ends with 2.
TEST_F(ResidentProgramTest, SecondStartQuitAndAWrongArgument) {
    auto resident = StartResident();
    HWND window = resident->Window(kResidentClass);
    EXPECT_TRUE(WaitFor([&] { return TextOf(window) == L"Quillery"; }));
    Process second(program_, L"");
    EXPECT_EQ(second.Exited(), 0u);
    EXPECT_FALSE(resident->Exited(0ms));

    Process wrong(program_, L"/frobnicate");
    HWND box = wrong.Window(L"#32770");
    ASSERT_NE(box, nullptr) << "no message box for the wrong argument";
    EXPECT_TRUE(WaitFor([&] {
        std::wstring said;
        EnumChildWindows(box, &AppendText, reinterpret_cast<LPARAM>(&said));
        return said.find(L"\"/frobnicate\"") != std::wstring::npos;
    })) << "the box does not name the argument";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(wrong.Exited(), 2u);

    Process quit(program_, L"/quit");
    EXPECT_EQ(quit.Exited(), 0u);
    EXPECT_EQ(resident->Exited(0ms), 0u) << "/quit returned before the instance had ended";
}

// Another program holds the instance's names, the user's and the shared one, and has a window
// of the resident class: Quillery.exe starts all the same, and neither its start nor /quit,
// which ends it, posts that window anything.
TEST_F(ResidentProgramTest, AnotherProgramWithItsNamesNeitherStopsItNorHearsFromIt) {
    const UniqueHandle shared(CreateMutexW(nullptr, FALSE, L"Local\\Quillery.Resident"));
    const UniqueHandle users(CreateMutexW(nullptr, FALSE, app::InstanceName().c_str()));
    WNDCLASSW decoyClass{};
    decoyClass.lpfnWndProc = &DefWindowProcW;
    decoyClass.lpszClassName = kResidentClass;
    RegisterClassW(&decoyClass);
    const win32::UniqueWindow decoy(CreateWindowExW(0, kResidentClass, L"Quillery", WS_POPUP, 0, 0,
                                                    0, 0, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(shared && users && decoy);
    auto resident = StartResident();
    Process quit(program_, L"/quit");
    EXPECT_EQ(quit.Exited(), 0u);
    EXPECT_EQ(resident->Exited(0ms), 0u);
    MSG posted{};
    EXPECT_FALSE(PeekMessageW(&posted, decoy.get(), app::ResidentRequestMessage(),
                              app::ResidentRequestMessage(), PM_REMOVE))
        << "the other program's window was asked " << posted.wParam;
}

const std::wstring kFields = L"col1\tcol2";
const std::wstring kCommand = L"echo Hi, 1+1=2!\r\n";

// The snippets for typing as a user's keys: two fields of a form, and a command line.
class KeyTypingTest : public ResidentProgramTest {
protected:
    void SetUp() override {
        ResidentProgramTest::SetUp();
        WriteSnippets({{L"Fields", kFields}, {L"Command", kCommand}});
    }
};

// A Tab in a snippet is the Tab key: in a form it moves the focus to the next field, as the
// user's own Tab does, so one snippet fills both fields.
TEST_F(KeyTypingTest, ATabMovesToTheFormsNextField) {
    auto resident = StartResident();
    auto form = StartTarget(L"form", 1);
    const HWND first = edit_;
    ClickLine(OpenMenu(), 1);
    edit_ = GetDlgItem(target_, 2);
    EXPECT_TRUE(EditHolds(L"col2"));
    EXPECT_EQ(TextOf(first), L"col1");
    GUITHREADINFO focus{};
    focus.cbSize = sizeof(focus);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(target_, nullptr), &focus));
    EXPECT_EQ(focus.hwndFocus, edit_);
}

// A console ignores Unicode packets: a command chosen there arrives whole as the keys of the
// keyboard layout, Shift pressed where a character needs it.
TEST_F(KeyTypingTest, AConsoleGetsTheCommandAsKeys) {
    auto resident = StartResident();
    const std::wstring typedFile = dir_.File(L"typed.txt");
    Process console(ProgramDirectory() + L"\\resident_target.exe", L"console " + typedFile);
    ASSERT_TRUE(WaitFor([&] {
        target_ = FindWindowW(nullptr, L"Quillery typing target: console");
        return target_ != nullptr;
    })) << "no console";
    GiveTheDisplaysFocusToTheTarget();
    ClickLine(OpenMenu(), 2);
    std::wstring typed;
    EXPECT_TRUE(WaitFor([&] {
        const std::vector<std::uint8_t> bytes = wintest::ReadWholeFile(typedFile);
        typed.assign(bytes.size() / sizeof(wchar_t), L'\0');
        std::memcpy(typed.data(), bytes.data(), typed.size() * sizeof(wchar_t));
        return typed == kCommand;
    })) << "the console read \""
        << ToUtf8(typed) << "\"";
}

} // namespace
} // namespace quillery
