#pragma once

#include "forms/PixelScale.h"
#include "menu/SnippetMenu.h"
#include "platform/Desktop.h"
#include "platform/WindowView.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace quillery::testing {

class FakeUi;

// A native window that exists only in memory. Its modal loop plays the test's script: each
// step is one user action or system event, run while this window is the innermost modal one.
// Every window of the component gets one; only the menu's uses the timer and pop-up menus.
class FakeView final : public PopupView {
public:
    FakeView(FakeUi& ui, std::string name, std::function<PixelRect()> rect,
             std::function<void()> systemClose, std::function<void()> released);
    ~FakeView() override;

    void Refresh() override {
        ++refreshes;
        if (failNextRefresh) {
            failNextRefresh = false;
            throw std::bad_alloc(); // a real window's drawing resources ran out
        }
    }
    void Place(float left, float top, float width, float height) noexcept override {
        places.push_back({left, top, width, height});
    }
    void RunModal() override;
    void EndModal() noexcept override { ended = true; }
    PixelRect WindowRect() noexcept override { return reportedRect ? *reportedRect : rect_(); }
    // Where the presenter put the window, however its rectangle is reported.
    bool IsWindowAt(PixelPoint point) noexcept override;
    void SetTimer(bool enabled, unsigned intervalMs) noexcept override;
    int ShowContextMenu(const std::vector<ContextMenuEntry>& entries,
                        std::optional<PixelPoint> at) override;

    std::string name;
    int refreshes = 0;
    bool failNextRefresh = false;
    std::vector<std::array<float, 4>> places; // left, top, width and height of each Place()
    bool shown = false;
    bool ended = false;
    bool timerEnabled = false;
    unsigned timerInterval = 0;
    int timerStarts = 0;
    std::int64_t timerDueAt = 0; // on the fake clock, while the timer runs
    // A rectangle that the window system reports wrongly: the window is still shown, and found
    // at a point, where its presenter put it.
    std::optional<PixelRect> reportedRect;

private:
    FakeUi& ui_;
    std::function<PixelRect()> rect_;
    std::function<void()> systemClose_;
    std::function<void()> released_;
};

// The screen, the pointer and the window system, scripted by the test.
class FakeUi final : public Desktop, public WindowFactory {
public:
    // Desktop
    PixelPoint CursorPos() noexcept override { return pointer; }
    void SetCursorPos(std::int32_t x, std::int32_t y) noexcept override;
    double TwipsPerPixelX() noexcept override { return twipsPerPixelX; }
    double TwipsPerPixelY() noexcept override { return twipsPerPixelY; }
    double ScreenWidthTwips() noexcept override { return screenWidthPixels * twipsPerPixelX; }
    double ScreenHeightTwips() noexcept override { return screenHeightPixels * twipsPerPixelY; }
    PixelRect WorkAreaAt(PixelPoint point) noexcept override;
    void DoEvents() override;
    void SetBusyPointer(bool busy) noexcept override { busyPointer.push_back(busy); }

    // WindowFactory: the views are named "menu", "welcome" and "editor".
    std::unique_ptr<PopupView> CreateSnippetMenuView(SnippetMenu& form) override;
    void CloseOtherMenus() noexcept override { made.push_back("other menus closed"); }
    std::unique_ptr<WindowView> CreateWelcomeView(WelcomeWindow& form) override;
    std::unique_ptr<WindowView> CreateItemEditorView(ItemEditor& form) override;

    // The windows whose views are alive, so that the script can act on them; each is null
    // from the moment its view is released.
    SnippetMenu* menu = nullptr;
    WelcomeWindow* welcome = nullptr;
    ItemEditor* editor = nullptr;

    // The script: steps run one at a time by the innermost modal loop.
    void Then(std::function<void()> step) { script.push_back(std::move(step)); }
    // A step for a window that opens inside the running step: it comes before the rest.
    void Next(std::function<void()> step) { script.push_front(std::move(step)); }
    // Events that are already waiting when the component next lets pending messages run.
    void Pending(std::function<void()> event) { pending.push_back(std::move(event)); }

    // A tick of the menu's timer, delivered only while the timer runs, as the system would.
    void Tick();
    // Lets `ms` milliseconds pass on the fake clock: the menu's timer ticks as the system's
    // would, a full interval after it was last started and each interval after that.
    void Elapse(unsigned ms);
    std::int64_t now = 0; // the fake clock, in milliseconds

    FakeView* View(const std::string& name) const; // the live view of that name, if any

    std::function<PixelRect()> RectOf(const float& left, const float& top, const float& width,
                                      const float& height) const;

    PixelPoint pointer{400, 300};
    // The screen's resolution: 15 twips per pixel each way at 96 dots per inch.
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
    void SetDpi(int dpiX, int dpiY) {
        twipsPerPixelX = 1440.0 / dpiX;
        twipsPerPixelY = 1440.0 / dpiY;
    }
    PixelScale Scale() const { return PixelScale(twipsPerPixelX, twipsPerPixelY); }
    int screenWidthPixels = 1024;
    int screenHeightPixels = 768;
    // The monitors' work areas: WorkAreaAt gives the first that holds the point, else the
    // first. None: the whole screen.
    std::vector<PixelRect> workAreas;
    std::vector<PixelPoint> cursorMoves;
    std::vector<bool> busyPointer;
    int doEventsCalls = 0;
    std::vector<std::string> modalOrder; // names of the windows in the order they were shown
    // The factory's work in order: each view it made, by name, and each CloseOtherMenus().
    std::vector<std::string> made;
    std::vector<std::string> unfinished; // windows whose script ran out while they were open

    // Context menus: each one shown is recorded with its entries, and answered by the next
    // choice (a command id; 0 dismisses it). A choice may be a step that runs while the menu
    // is up and then gives the id.
    std::deque<std::function<int()>> menuChoices;
    std::vector<std::vector<ContextMenuEntry>> menusShown;
    std::vector<std::optional<PixelPoint>> menuPlaces; // where each was asked to open
    bool timerRanDuringMenu = false;

    std::deque<std::function<void()>> script;
    std::deque<std::function<void()>> pending;
    std::vector<FakeView*> live;
    bool failToCreate = false;
    bool throwOnDoEvents = false;
};

} // namespace quillery::testing
