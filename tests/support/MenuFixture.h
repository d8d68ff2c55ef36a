#pragma once

#include "editing/FrmEditItem.h"
#include "menu/FrmSelect.h"
#include "menu/MenuRequest.h"
#include "shared/ThreadContext.h"
#include "shell/ReportError.h"
#include "store/MenuFile.h"
#include "support/DataFile.h"
#include "support/FakePlatform.h"
#include "welcome/frmIntro.h"

#include <gtest/gtest.h>

#include <map>

#include <string>
#include <vector>

namespace quillery::testing {

// Whole menu requests through the fake platform: the test writes the data file, scripts
// the user's actions, runs the request and checks what came back and what is on disk.
class MenuFixture : public ::testing::Test {
protected:
    using DataFile = testing::DataFile;
    using FakeView = testing::FakeView;

    Module1& module() { return CurrentThread().module; }
    FrmSelect& menu() { return CurrentThread().Instance<FrmSelect>(); }
    frmIntro& intro() { return CurrentThread().Instance<frmIntro>(); }
    FrmEditItem& editor() { return CurrentThread().Instance<FrmEditItem>(); }
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

    std::wstring Request() { return RunMenuRequest(); }

    std::vector<std::wstring> Boxes() {
        std::vector<std::wstring> texts;
        for (const auto& shown : platform.dialogs.shown) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    // Runs a request with the given steps, then checks that every step was used and the
    // script never ran out while a window was open.
    std::wstring RequestWith(std::vector<std::function<void()>> steps) {
        for (auto& step : steps) {
            ui().Then(std::move(step));
        }
        std::wstring result = Request();
        EXPECT_TRUE(ui().script.empty()) << "steps left over";
        EXPECT_TRUE(ui().unfinished.empty()) << "a window was left open by the script";
        return result;
    }

    // A step that moves the pointer just outside the pop-up and lets the timer tick.
    std::function<void()> Leave() {
        return [this] {
            if (FakeView* view = ui().View("select")) {
                const PixelRect rect = view->WindowRect();
                ui().pointer = {rect.right + 1, rect.bottom + 1};
            }
            ui().Tick();
        };
    }

    // Pointer over a point of the window, given in twips from its top-left corner.
    void PointAtWindowTwips(float x, float y) {
        ui().pointer = {static_cast<std::int32_t>((menu().Left + x) / 15),
                        static_cast<std::int32_t>((menu().Top + y) / 15)};
    }
    // Centre of line n, in window coordinates (frame coordinates less the frame's offset).
    float LineY(int n) { return menu().lblMenu[n].box.top + 120 + menu().FraMain.top; }

    FakePlatform platform;
};

} // namespace quillery::testing
