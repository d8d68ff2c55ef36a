#include "support/FakeUi.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace quillery::testing {
FakeView::FakeView(FakeUi& ui, std::string viewName, std::function<PixelRect()> rect,
                   std::function<void()> systemClose, std::function<void()> released)
    : name(std::move(viewName)), ui_(ui), rect_(std::move(rect)),
      systemClose_(std::move(systemClose)), released_(std::move(released)) {
    ui_.live.push_back(this);
    ui_.made.push_back(name);
}

FakeView::~FakeView() {
    ui_.live.erase(std::find(ui_.live.begin(), ui_.live.end(), this));
    released_();
}

void FakeView::RunModal() {
    shown = true;
    ui_.modalOrder.push_back(name);
    while (!ended) {
        if (ui_.script.empty()) {
            // The test did not say how this window ends: the system closes it.
            ui_.unfinished.push_back(name);
            systemClose_();
            break;
        }
        auto step = std::move(ui_.script.front());
        ui_.script.pop_front();
        step();
    }
}

// As the window system finds a window at a point: its right and bottom edges lie outside it.
bool FakeView::IsWindowAt(PixelPoint point) noexcept {
    const PixelRect place = rect_();
    return point.x >= place.left && point.x < place.right && point.y >= place.top &&
           point.y < place.bottom;
}

void FakeView::SetTimer(bool enabled, unsigned intervalMs) noexcept {
    if (enabled && !timerEnabled) {
        ++timerStarts;
        timerDueAt = ui_.now + intervalMs;
    }
    timerEnabled = enabled;
    timerInterval = intervalMs;
}

int FakeView::ShowContextMenu(const std::vector<ContextMenuEntry>& entries,
                              std::optional<PixelPoint> at) {
    ui_.menusShown.push_back(entries);
    ui_.menuPlaces.push_back(at);
    ui_.timerRanDuringMenu = ui_.timerRanDuringMenu || timerEnabled;
    if (ui_.menuChoices.empty()) {
        return 0;
    }
    auto choice = std::move(ui_.menuChoices.front());
    ui_.menuChoices.pop_front();
    return choice();
}

void FakeUi::SetCursorPos(std::int32_t x, std::int32_t y) noexcept {
    pointer = {x, y};
    cursorMoves.push_back(pointer);
}

PixelRect FakeUi::WorkAreaAt(PixelPoint point) noexcept {
    for (const PixelRect& area : workAreas) {
        if (point.x >= area.left && point.x < area.right && point.y >= area.top &&
            point.y < area.bottom) {
            return area;
        }
    }
    return workAreas.empty() ? PixelRect{0, 0, screenWidthPixels, screenHeightPixels}
                             : workAreas.front();
}

void FakeUi::DoEvents() {
    ++doEventsCalls;
    if (throwOnDoEvents) {
        throw std::runtime_error("the message queue failed");
    }
    auto events = std::move(pending);
    pending.clear();
    for (auto& event : events) {
        event();
    }
}

// A window's rectangle in pixels, from the place and size its presenter keeps in twips, read
// afresh each time it is asked for, converted as the Win32 views convert them.
std::function<PixelRect()> FakeUi::RectOf(const float& left, const float& top, const float& width,
                                          const float& height) const {
    return [this, l = &left, t = &top, w = &width, h = &height] {
        return Scale().Window(*l, *t, *w, *h);
    };
}

std::unique_ptr<PopupView> FakeUi::CreateSnippetMenuView(SnippetMenu& form) {
    if (failToCreate) {
        return nullptr;
    }
    menu = &form;
    return std::make_unique<FakeView>(
        *this, "menu",
        RectOf(form.Layout().left, form.Layout().top, form.Layout().width, form.Layout().height),
        [&form] { form.Close(); }, [this] { menu = nullptr; });
}

std::unique_ptr<WindowView> FakeUi::CreateWelcomeView(WelcomeWindow& form) {
    welcome = &form;
    return std::make_unique<FakeView>(
        *this, "welcome",
        RectOf(form.left, form.top, WelcomeWindow::kClientWidth, WelcomeWindow::kClientHeight),
        [&form] { form.Close(); }, [this] { welcome = nullptr; });
}

std::unique_ptr<WindowView> FakeUi::CreateItemEditorView(ItemEditor& form) {
    editor = &form;
    return std::make_unique<FakeView>(
        *this, "editor",
        RectOf(form.left, form.top, ItemEditor::kClientWidth, ItemEditor::kClientHeight),
        [&form] { form.Close(); }, [this] { editor = nullptr; });
}

void FakeUi::Tick() {
    FakeView* view = View("menu");
    if (menu != nullptr && view != nullptr && view->timerEnabled) {
        menu->OnPointerWatchTick();
    }
}

void FakeUi::Elapse(unsigned ms) {
    const std::int64_t until = now + ms;
    for (;;) {
        FakeView* view = View("menu");
        if (menu == nullptr || view == nullptr || !view->timerEnabled || view->timerDueAt > until) {
            break;
        }
        now = view->timerDueAt;
        view->timerDueAt += view->timerInterval;
        menu->OnPointerWatchTick();
    }
    now = until;
}

FakeView* FakeUi::View(const std::string& viewName) const {
    for (FakeView* view : live) {
        if (view->name == viewName && !view->ended) {
            return view;
        }
    }
    return nullptr;
}

} // namespace quillery::testing
