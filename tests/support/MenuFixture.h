#pragma once

#include "editing/ItemEditor.h"
#include "menu/MenuRequest.h"
#include "menu/SnippetMenu.h"
#include "session/MenuSession.h"
#include "support/DataFile.h"
#include "support/FakePlatform.h"
#include "welcome/WelcomeWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillery::testing {

// Whole menu requests through the fake platform: the test writes the data file, scripts
// the user's actions, runs the request and checks what came back and what is on disk.
class MenuFixture : public ::testing::Test {
protected:
    using DataFile = testing::DataFile;
    using FakeView = testing::FakeView;

    // The running request's windows and its session, for the script's steps. A window is
    // there only while its view is; asking for one that is not fails the test.
    SnippetMenu& menu() { return Live(ui().menu, "the menu"); }
    WelcomeWindow& welcome() { return Live(ui().welcome, "the welcome window"); }
    ItemEditor& editor() { return Live(ui().editor, "the item editor"); }
    // The session of a request run by RequestWithSession().
    MenuSession& session() { return Live(session_, "the request's session"); }
    FakeUi& ui() { return platform.ui; }

    void Save(const DataFile& file) { WriteBytes(platform.MenuFile(), file.bytes); }
    std::vector<std::uint8_t> Bytes() { return ReadBytes(platform.MenuFile()); }

    // Record `number` of the data file as it is on disk; empty when the file is shorter.
    std::vector<std::uint8_t> Record(int number) {
        const auto bytes = Bytes();
        const auto offset = static_cast<std::size_t>(number - 1) * 232;
        if (bytes.size() < offset + 232) {
            return {};
        }
        return {bytes.begin() + static_cast<long>(offset),
                bytes.begin() + static_cast<long>(offset + 232)};
    }

    // A file whose header switches the welcome off, with the given items filled.
    void SaveItems(const std::vector<int>& items, std::int16_t flag = 1) {
        DataFile file;
        file.Header(flag);
        for (int item : items) {
            file.Item(item, L"Item " + std::to_wstring(item),
                      L"  text of " + std::to_wstring(item) + L"  ");
        }
        Save(file);
    }

    // Whether a request is expected to show the menu. A request that must not open it (a
    // data file that cannot be read, a failing window system) says so.
    enum class MenuExpected { Shown, NotShown };

    // Runs a request with the steps queued by ui().Then(), and checks that every step ran and
    // that the menu was shown (or, when told, was not): a check inside a step that never ran
    // must not pass silently. A window whose script runs out is closed as the system would.
    std::wstring Request(MenuExpected expected = MenuExpected::Shown) {
        return Checked(expected, [this] { return RunMenuRequest(platform.port, ui()); });
    }

    // The highlighted entry, with its pad: "L3 " for line 3, "X0 " for the first link, "" for
    // none.
    std::string Highlighted() {
        const int entry = menu().HighlightedEntry();
        const int lines = static_cast<int>(menu().LineCount());
        if (entry == 0) {
            return "";
        }
        return entry <= lines ? "L" + std::to_string(entry) + " "
                              : "X" + std::to_string(entry - lines - 1) + " ";
    }

    // The item of the highlighted line; 0 when a link or nothing is highlighted.
    int HighlightedItem() {
        const int entry = menu().HighlightedEntry();
        return entry <= static_cast<int>(menu().LineCount()) ? menu().ItemOfLine(entry) : 0;
    }

    // After a request: no window of it is left and the data file is closed.
    void ExpectEverythingClosed() {
        EXPECT_EQ(ui().View("menu"), nullptr);
        EXPECT_TRUE(ui().live.empty()) << "a window's view was not released";
        EXPECT_EQ(platform.files.openFiles, 0) << "the data file was left open";
    }

    std::vector<std::wstring> Boxes() {
        std::vector<std::wstring> texts;
        for (const auto& shown : platform.dialogs.shown) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    // Runs a request with the given steps, then checks that every step was used and the
    // script never ran out while a window was open.
    std::wstring RequestWith(std::vector<std::function<void()>> steps,
                             MenuExpected expected = MenuExpected::Shown) {
        return Scripted(std::move(steps), expected,
                        [this] { return RunMenuRequest(platform.port, ui()); });
    }

    // The same, for a request made as RunMenuRequest makes it but with its session in the
    // test's hands (session()): for steps that act on what the request's windows share.
    std::wstring RequestWithSession(std::vector<std::function<void()>> steps,
                                    MenuExpected expected = MenuExpected::Shown) {
        return Scripted(std::move(steps), expected, [this] {
            MenuSession shared(platform.port);
            session_ = &shared;
            std::wstring chosen = SnippetMenu(shared, ui()).Show();
            session_ = nullptr;
            return chosen;
        });
    }

    std::wstring Scripted(std::vector<std::function<void()>> steps, MenuExpected expected,
                          const std::function<std::wstring()>& request) {
        for (auto& step : steps) {
            ui().Then(std::move(step));
        }
        std::wstring result = Checked(expected, request);
        EXPECT_TRUE(ui().unfinished.empty()) << "a window was left open by the script";
        return result;
    }

    std::wstring Checked(MenuExpected expected, const std::function<std::wstring()>& request) {
        const auto menusBefore = MenusShown();
        std::wstring result = request();
        EXPECT_TRUE(ui().script.empty()) << ui().script.size() << " scripted steps never ran";
        EXPECT_EQ(MenusShown() > menusBefore, expected == MenuExpected::Shown)
            << (expected == MenuExpected::Shown ? "the menu was never shown"
                                                : "the menu was shown");
        return result;
    }

    // A step that moves the pointer just outside the menu and lets the timer tick.
    std::function<void()> Leave() {
        return [this] {
            if (FakeView* view = ui().View("menu")) {
                const PixelRect rect = view->WindowRect();
                ui().pointer = {rect.right + 1, rect.bottom + 1};
            }
            ui().Tick();
        };
    }

    // Pointer over a point of the window, given in twips from its top-left corner.
    void PointAtWindowTwips(float x, float y) {
        ui().pointer = {static_cast<std::int32_t>((menu().Layout().left + x) / ui().twipsPerPixelX),
                        static_cast<std::int32_t>((menu().Layout().top + y) / ui().twipsPerPixelY)};
    }
    // Centre of line n, in window coordinates (frame coordinates less the frame's offset).
    float LineY(int n) {
        return menu().Layout().lines[n].box.top + 120 + menu().Layout().frame.top;
    }

    FakePlatform platform;

private:
    MenuSession* session_ = nullptr;

    std::size_t MenusShown() const {
        const auto& order = platform.ui.modalOrder;
        return static_cast<std::size_t>(std::count(order.begin(), order.end(), "menu"));
    }

    template <typename Window> static Window& Live(Window* window, const char* what) {
        if (window == nullptr) {
            ADD_FAILURE() << what << " is not open";
            throw std::logic_error("no such window");
        }
        return *window;
    }
};

} // namespace quillery::testing
