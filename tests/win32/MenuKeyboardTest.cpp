// The menu driven from the real keyboard: key presses go through the system's input queue to
// the pop-up, through the modal loop's dialog handling, as a user's do.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace quillery {
namespace {

using wintest::FindVisible;
using wintest::MessageBoxWatcher;
using wintest::ReadWholeFile;
using wintest::RealPlatform;
using wintest::RecordBytesOf;
using wintest::User;
using wintest::WaitFor;
using wintest::WriteWholeFile;

// The window that has the keyboard focus on `window`'s thread.
HWND FocusOn(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    if (window == nullptr || ::GetClassNameW(window, name, 64) == 0) {
        return L"(none)";
    }
    return name;
}

// What a failed wait for the keyboard on the pop-up saw: whether the pop-up is still there,
// which windows have the foreground and the focus, and where the pointer is.
std::string WhereTheKeysGo(HWND popup) {
    POINT pointer{};
    ::GetCursorPos(&pointer);
    RECT rect{};
    const bool open = ::IsWindow(popup) != FALSE;
    if (open) {
        ::GetWindowRect(popup, &rect);
    }
    std::wostringstream text;
    text << L"pop-up " << (open ? L"open" : L"closed") << L" at " << rect.left << L',' << rect.top
         << L'-' << rect.right << L',' << rect.bottom << L"; foreground "
         << ClassOf(::GetForegroundWindow()) << L"; focus " << ClassOf(FocusOn(popup))
         << L"; pointer " << pointer.x << L',' << pointer.y;
    const std::wstring wide = text.str();
    return std::string(wide.begin(), wide.end()); // class names are ASCII
}

// Waits until the pop-up is up, in the foreground and has the keyboard.
HWND WaitForPopupWithTheKeyboard() {
    HWND popup = nullptr;
    const bool ready = WaitFor([&] {
        popup = FindVisible(L"QuillerySnippetMenu");
        return popup != nullptr && ::GetForegroundWindow() == popup && FocusOn(popup) == popup;
    });
    return ready ? popup : nullptr;
}

// Presses the keys together, in order, and releases them in the reverse order: {VK_DOWN} is
// one press of Down, {VK_SHIFT, VK_F10} is Shift+F10.
void Chord(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Press(std::initializer_list<WORD> keys) {
    for (WORD key : keys) {
        Chord({key});
    }
}

class MenuKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { ::SetCursorPos(200, 300); }

    RealPlatform platform;
    MessageBoxWatcher boxes;
};

TEST_F(MenuKeyboardTest, KeysChooseALineAndTheRequestReturnsItsText) {
    // Items 1, 4 and 5; item 2 is "&Cherry". Lines: 1, 2 (Cherry), 4, 5.
    auto bytes = wintest::MenuFileBytes(L"", 1, {1, 4, 5});
    const auto cherry = RecordBytesOf(L"&Cherry", L"cherry pie", 0);
    std::copy(cherry.begin(), cherry.end(), bytes.begin() + 3 * 232);
    struct Case {
        const char* what;
        std::vector<WORD> keys;
        std::wstring result;
    } cases[] = {
        {"Down three times, then Enter", {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, L"text of 4"},
        {"Up past the links, then Space", {VK_UP, VK_UP, VK_UP, VK_SPACE}, L"text of 5"},
        {"End, Home, then Enter", {VK_END, VK_HOME, VK_RETURN}, L"text of 1"},
        {"the access key of one line", {'C'}, L"cherry pie"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWholeFile(platform.MenuFile(), bytes);
        std::wstring result = L"unset";
        {
            User user([&] {
                ASSERT_NE(WaitForPopupWithTheKeyboard(), nullptr);
                for (WORD key : c.keys) {
                    Press({key});
                }
                WaitFor([] { return FindVisible(L"QuillerySnippetMenu") == nullptr; });
            });
            result = RunMenuRequest(platform.port, platform.views);
        }
        EXPECT_EQ(result, c.result);
    }
    EXPECT_TRUE(boxes.Seen().empty());
}

// The pointer stays on the banner, where the menu put it: only Escape can close the window.
TEST_F(MenuKeyboardTest, EscapeClosesThePopUpAndTheRequestReturnsNothing) {
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 1, {1, 2}));
    bool closedByTheKey = false;
    std::wstring result = L"unset";
    {
        User user([&] {
            HWND popup = WaitForPopupWithTheKeyboard();
            ASSERT_NE(popup, nullptr);
            Press({VK_DOWN, VK_ESCAPE});
            closedByTheKey = WaitFor([&] { return !::IsWindow(popup); });
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_TRUE(closedByTheKey);
    EXPECT_EQ(result, L"");
}

// Shift+F10 and the context-menu key open the item commands just below the highlighted line;
// Escape closes them and then the pop-up. The message that the keys become says "from the
// keyboard" with the point (-1, -1), which a 64-bit system may hand over as 0xFFFFFFFF in a
// 64-bit lParam rather than as -1: posted that way, it opens the commands too.
TEST_F(MenuKeyboardTest, ContextMenuKeysOpenTheItemCommandsAtTheHighlightedLine) {
    struct Case {
        const char* what;
        std::vector<WORD> chord;
    } cases[] = {
        {"Shift+F10", {VK_SHIFT, VK_F10}},
        {"the context-menu key", {VK_APPS}},
        {"the message with the point (-1, -1) in the lParam's low 32 bits", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Each menu opens at the pointer and puts it onto its banner: from the same point each
        // time, so that the next menu is not pushed against the screen's top.
        ::SetCursorPos(200, 300);
        WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 1, {1, 2, 3}));
        RECT popupRect{};
        RECT commandsRect{};
        bool opened = false;
        {
            User user([&] {
                HWND popup = WaitForPopupWithTheKeyboard();
                ASSERT_NE(popup, nullptr);
                ::GetWindowRect(popup, &popupRect);
                if (c.chord.empty()) {
                    // Posted after the two Downs, as posted messages, so that it comes after
                    // them (a posted message overtakes input that is still queued).
                    const auto keyboardPoint =
                        static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(0xFFFF, 0xFFFF)));
                    ::PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 1);
                    ::PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 1);
                    ::PostMessageW(popup, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(popup),
                                   keyboardPoint);
                } else {
                    Press({VK_DOWN, VK_DOWN});
                    if (c.chord.size() == 2) {
                        Chord({c.chord[0], c.chord[1]});
                    } else {
                        Chord({c.chord[0]});
                    }
                }
                HWND commands = nullptr;
                opened = WaitFor([&] { return (commands = FindVisible(L"#32768")) != nullptr; });
                if (opened) {
                    ::GetWindowRect(commands, &commandsRect);
                    Press({VK_ESCAPE});
                    ASSERT_TRUE(WaitFor([] { return FindVisible(L"#32768") == nullptr; }));
                    ASSERT_TRUE(WaitFor([&] { return FocusOn(popup) == popup; }));
                }
                Press({VK_ESCAPE});
                WaitFor([&] { return !::IsWindow(popup); });
            });
            EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
        }
        ASSERT_TRUE(opened);
        // Line 2 ends (585 + 480) - 90 = 975 twips below the window's top; its text starts 270
        // twips in.
        EXPECT_EQ(commandsRect.left, popupRect.left + 18);
        EXPECT_EQ(commandsRect.top, popupRect.top + 65);
    }
}

// The editor's dialog keys still work inside the menu's modal loop: Tab moves the focus from
// the description to the text, then to Apply, and Shift+Tab back; the multi-line text box
// hands Tab to its window rather than keeping the focus.
TEST_F(MenuKeyboardTest, TabMovesBetweenTheEditorsControls) {
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 1, {1, 2}));
    const auto before = ReadWholeFile(platform.MenuFile());
    std::vector<int> focusIds;
    std::wstring textAfterTabs;
    {
        User user([&] {
            HWND popup = WaitForPopupWithTheKeyboard();
            ASSERT_NE(popup, nullptr);
            Press({VK_DOWN, VK_APPS});
            ASSERT_TRUE(WaitFor([] { return FindVisible(L"#32768") != nullptr; }));
            Press({'E'}); // Edit
            HWND editor = nullptr;
            ASSERT_TRUE(WaitFor([&] {
                editor = FindVisible(L"QuilleryItemEditor");
                return editor != nullptr && FocusOn(editor) == ::GetDlgItem(editor, 201);
            }));
            focusIds.push_back(::GetDlgCtrlID(FocusOn(editor)));
            // Tab twice, then Shift+Tab twice: from the multi-line text box too, both ways.
            for (bool back : {false, false, true, true}) {
                const HWND was = FocusOn(editor);
                if (back) {
                    Chord({VK_SHIFT, VK_TAB});
                } else {
                    Press({VK_TAB});
                }
                WaitFor([&] { return FocusOn(editor) != was; });
                focusIds.push_back(::GetDlgCtrlID(FocusOn(editor)));
            }
            wchar_t text[64] = L"";
            ::GetWindowTextW(::GetDlgItem(editor, 202), text, 64);
            textAfterTabs = text;
            // Cancel, then the pop-up closes by its key.
            HWND cancel = ::GetDlgItem(editor, 212);
            ::PostMessageW(cancel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
            ::PostMessageW(cancel, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
            ASSERT_TRUE(WaitFor([] { return FindVisible(L"QuilleryItemEditor") == nullptr; }));
            ASSERT_TRUE(WaitFor([&] { return FocusOn(popup) == popup; })) << WhereTheKeysGo(popup);
            Press({VK_ESCAPE});
            WaitFor([&] { return !::IsWindow(popup); });
        });
        EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
    }
    EXPECT_EQ(focusIds, (std::vector<int>{201, 202, 211, 202, 201}));
    EXPECT_EQ(textAfterTabs, L"text of 1"); // no tab character typed into it
    EXPECT_EQ(ReadWholeFile(platform.MenuFile()), before);
}

// Keys pressed on the display reach the pop-up after every window that opens over it closes: a
// message box answered from the display's keyboard, the editor closed with a click, and a
// command of the item commands chosen by its access key. Each window takes the keyboard as it
// opens, and the pop-up takes it back as it closes.
TEST_F(MenuKeyboardTest, DisplayKeysReachThePopUpAfterEachWindowOverIt) {
    ASSERT_TRUE(wintest::RunningOnWine()) << "the display is driven through xdotool";
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 1, {1, 2, 3}));
    // The box takes the display's keyboard, and its No answers from there.
    boxes.WhileShown([] {
        HWND box = nullptr;
        EXPECT_TRUE(WaitFor([&] {
            box = FindVisible(L"#32770");
            return box != nullptr && wintest::HasDisplayFocus(box);
        })) << "the box did not take the keyboard";
        wintest::Xdotool({"key", "n"});
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
    });
    std::wstring result = L"unset";
    std::vector<std::string> missed;
    {
        User user([&] {
            HWND popup = WaitForPopupWithTheKeyboard();
            ASSERT_NE(popup, nullptr);
            RECT rect{};
            ::GetWindowRect(popup, &rect);
            const std::string x = std::to_string(rect.left + 60);
            const std::string line2 = std::to_string(rect.top + wintest::LineCentreY(2));
            // The pop-up has the display's keyboard as it opens, and after each window over it.
            const auto keysReachThePopUp = [&](const char* after) {
                if (!WaitFor([&] { return wintest::HasDisplayFocus(popup); })) {
                    missed.emplace_back(after);
                }
            };
            keysReachThePopUp("it opened");
            // Each command opens at a right click on line 2, chosen by its access key.
            const auto command = [&](const char* key) {
                wintest::Xdotool({"mousemove", "--sync", x, line2, "click", "3"});
                HWND commands = nullptr;
                EXPECT_TRUE(WaitFor([&] {
                    commands = FindVisible(L"#32768");
                    return commands != nullptr && wintest::HasDisplayFocus(popup);
                })) << "the item commands did not have the keyboard";
                wintest::Xdotool({"key", key});
            };
            command("r"); // Remove, answered No
            keysReachThePopUp("a message box");
            command("e"); // Edit, closed by Cancel
            HWND editor = nullptr;
            ASSERT_TRUE(WaitFor([&] {
                editor = FindVisible(L"QuilleryItemEditor");
                return editor != nullptr && wintest::HasDisplayFocus(editor);
            })) << "the editor did not take the keyboard";
            RECT cancel{};
            ::GetWindowRect(::GetDlgItem(editor, 212), &cancel);
            wintest::Xdotool({"mousemove", "--sync",
                              std::to_string((cancel.left + cancel.right) / 2),
                              std::to_string((cancel.top + cancel.bottom) / 2), "click", "1",
                              "mousemove", "--sync", x, line2});
            ASSERT_TRUE(WaitFor([&] { return !::IsWindow(editor); }));
            keysReachThePopUp("the editor");
            command("u"); // Move Up: item 2 is on line 1 now
            keysReachThePopUp("a command");
            wintest::Xdotool({"key", "Home", "Return"});
            WaitFor([&] { return !::IsWindow(popup); });
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_TRUE(missed.empty()) << "the display's keys missed the pop-up after "
                                << (missed.empty() ? "" : missed.front());
    EXPECT_EQ(result, L"text of 2");
}

} // namespace
} // namespace quillery
