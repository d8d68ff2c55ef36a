// The item commands and the launcher with the real windows: the context menu, the Yes/No box,
// the editor's text boxes and the shell.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"
#include "messages/Messages.h"
#include "store/RecordCodec.h"
#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

namespace quillery {
namespace {

using namespace std::chrono_literals;
using win32::UniqueKey;
using wintest::FindVisible;
using wintest::LinePoint;
using wintest::MessageBoxWatcher;
using wintest::OpenContextMenu;
using wintest::ReadWholeFile;
using wintest::RealPlatform;
using wintest::RecordBytesOf;
using wintest::RecordOf;
using wintest::User;
using wintest::WaitFor;
using wintest::WriteWholeFile;

constexpr const wchar_t* kBase = L"http://www.example.com/quillery";

std::vector<std::uint8_t> MenuData(const std::vector<int>& items) {
    return wintest::MenuFileBytes(kBase, 1, items);
}

bool Enabled(HMENU menu, int position) {
    return (::GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED) == 0;
}

class EditingWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ::SetCursorPos(200, 300); }

    RealPlatform platform;
    MessageBoxWatcher boxes;
};

TEST_F(EditingWindowTest, RightClickShowsTheEntriesThatApplyAndRemoveChangesTheFile) {
    WriteWholeFile(platform.MenuFile(), MenuData({1, 2, 3}));
    const auto before = ReadWholeFile(platform.MenuFile());
    std::vector<std::wstring> captions;
    std::vector<bool> onTop;
    std::vector<bool> onMiddle;
    boxes.QueueAnswer(IDYES);
    {
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            HWND menuWindow = nullptr;
            HMENU menu = nullptr;
            ASSERT_TRUE(OpenContextMenu(popup, 1, menuWindow, menu));
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                wchar_t text[32] = L"";
                ::GetMenuStringW(menu, static_cast<UINT>(i), text, 32, MF_BYPOSITION);
                captions.push_back(text);
                if (i != 3) { // the separator has no state of its own
                    onTop.push_back(Enabled(menu, i));
                }
            }
            ::PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
            ASSERT_TRUE(WaitFor([] { return FindVisible(L"#32768") == nullptr; }));
            ASSERT_TRUE(OpenContextMenu(popup, 2, menuWindow, menu));
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                if (i != 3) {
                    onMiddle.push_back(Enabled(menu, i));
                }
            }
            ::PostMessageW(menuWindow, WM_CHAR, L'r', 0); // Remove, by its access key
            WaitFor([&] { return !boxes.Seen().empty(); });
        });
        RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"&New", L"&Edit", L"&Remove", L"", L"Move &Up",
                                                   L"Move &Down"}));
    EXPECT_EQ(onTop, (std::vector<bool>{true, true, true, false, true}));
    EXPECT_EQ(onMiddle, (std::vector<bool>{true, true, true, true, true}));
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, L"Are you sure you want to remove the selected item");
    EXPECT_EQ(boxes.Seen()[0].title, L"Remove Item");
    EXPECT_EQ(boxes.Seen()[0].icon, L"question");
    const auto after = ReadWholeFile(platform.MenuFile());
    EXPECT_EQ(RecordOf(after, 4), RecordBytesOf(L"", L"  text of 2", 0));
    for (int record : {1, 3, 5}) {
        EXPECT_EQ(RecordOf(after, record), RecordOf(before, record)) << record;
    }
}

TEST_F(EditingWindowTest, EditorOpensOverThePopUpTakesThirtyCharactersAndApplyWrites) {
    WriteWholeFile(platform.MenuFile(), MenuData({1, 2}));
    RECT popupRect{};
    RECT editorRect{};
    std::wstring description;
    {
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            HWND menuWindow = nullptr;
            HMENU menu = nullptr;
            ASSERT_TRUE(OpenContextMenu(popup, 2, menuWindow, menu));
            ::PostMessageW(menuWindow, WM_CHAR, L'e', 0); // Edit
            HWND editor = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (editor = FindVisible(L"QuilleryItemEditor")); }));
            // Both rectangles once both windows are up and settled in their places.
            ::GetWindowRect(popup, &popupRect);
            ::GetWindowRect(editor, &editorRect);
            HWND text0 = ::GetDlgItem(editor, 201);
            ::SendMessageW(text0, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            for (int i = 0; i < 31; ++i) {
                ::SendMessageW(text0, WM_CHAR, L'a' + i % 26, 1); // typed: the limit holds
            }
            wchar_t typed[64] = L"";
            ::GetWindowTextW(text0, typed, 64);
            description = typed;
            ::SendMessageW(::GetDlgItem(editor, 211), BM_CLICK, 0, 0); // Apply
            WaitFor([] { return FindVisible(L"QuilleryItemEditor") == nullptr; });
        });
        RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_EQ(description.size(), 30u);
    // 800 and 300 twips right of and below the pop-up's corner.
    EXPECT_NEAR(editorRect.left - popupRect.left, 53, 1);
    EXPECT_NEAR(editorRect.top - popupRect.top, 20, 1);
    EXPECT_EQ(RecordOf(ReadWholeFile(platform.MenuFile()), 4),
              RecordBytesOf(description, L"text of 2", 0));
}

// The shell hands web addresses to the browser that HKCU\Software\Wine\WineBrowser names;
// the build provides a recorder there that writes the address into a file.
TEST_F(EditingWindowTest, HelpAndSupportHandsTheHelpAddressToTheShell) {
    // The recorder writes the address into browser-address.txt beside itself.
    const char* recorder = std::getenv("QUILLERY_BROWSER_RECORDER");
    if (!wintest::RunningOnWine() || recorder == nullptr) {
        GTEST_SKIP() << "needs Wine's browser setting and the recorder of the build";
    }
    UniqueKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    const std::wstring browsers(recorder, recorder + std::strlen(recorder));
    ::RegSetValueExW(key.get(), L"Browsers", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(browsers.c_str()),
                     static_cast<DWORD>((browsers.size() + 1) * sizeof(wchar_t)));
    const std::wstring recordedFile =
        L"Z:" + browsers.substr(0, browsers.rfind(L'/')) + L"/browser-address.txt";
    ::DeleteFileW(recordedFile.c_str());

    WriteWholeFile(platform.MenuFile(), MenuData({1, 2}));
    bool popupStayed = false;
    {
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            const LPARAM help = MAKELPARAM(40, 86); // "Help and Support" with two lines
            ::PostMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, help);
            ::PostMessageW(popup, WM_LBUTTONUP, 0, help);
            WaitFor(
                [&] {
                    return ::GetFileAttributesW(recordedFile.c_str()) != INVALID_FILE_ATTRIBUTES;
                },
                20s);
            popupStayed = ::IsWindow(popup) != FALSE;
        });
        RunMenuRequest(platform.port, platform.views);
    }
    const auto bytes = ReadWholeFile(recordedFile);
    const std::string address(bytes.begin(), bytes.end());
    EXPECT_EQ(address, "http://www.example.com/quillery?fact=11240&ref=help\n");
    EXPECT_TRUE(popupStayed);
    EXPECT_TRUE(boxes.Seen().empty());
}

} // namespace
} // namespace quillery
