#include "StepTimes.h"

#include <algorithm>
#include <cstdio>

namespace quillery::bench {
namespace {

template <typename T> T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? T{} : values[values.size() / 2];
}

class TimedRecordFile final : public RecordFile {
public:
    TimedRecordFile(std::unique_ptr<RecordFile> real, StepTimes& times)
        : real_(std::move(real)), times_(times) {}
    std::optional<std::size_t> ReadAt(std::uint64_t offset, std::uint8_t* buffer,
                                      std::size_t size) override {
        const Timed timed(times_, "data file: reads");
        return real_->ReadAt(offset, buffer, size);
    }
    bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        return real_->WriteAt(offset, data, size);
    }
    std::optional<std::uint64_t> Size() override { return real_->Size(); }
    bool Truncate(std::uint64_t size) override { return real_->Truncate(size); }
    bool IsStillAtItsPath() override { return real_->IsStillAtItsPath(); }
    ~TimedRecordFile() override {
        const Timed timed(times_, "data file: close");
        real_.reset();
    }

private:
    std::unique_ptr<RecordFile> real_;
    StepTimes& times_;
};

class TimedPopupView final : public PopupView {
public:
    TimedPopupView(std::unique_ptr<PopupView> real, StepTimes& times, Clock::time_point& runStart)
        : real_(std::move(real)), times_(times), runStart_(runStart) {}
    ~TimedPopupView() override {
        const Timed timed(times_, "pop-up: release the view");
        real_.reset();
    }
    void Place(float left, float top, float width, float height) noexcept override {
        const Timed timed(times_, "pop-up: place (SetWindowPos)");
        real_->Place(left, top, width, height);
    }
    void Refresh() override {
        const Timed timed(times_, "pop-up: redraw request");
        real_->Refresh();
    }
    void RunModal() override {
        runStart_ = Clock::now();
        real_->RunModal();
    }
    void EndModal() noexcept override {
        const Timed timed(times_, "pop-up: end (enable, hide, destroy)");
        real_->EndModal();
    }
    PixelRect WindowRect() noexcept override { return real_->WindowRect(); }
    bool IsWindowAt(PixelPoint point) noexcept override { return real_->IsWindowAt(point); }
    void SetTimer(bool enabled, unsigned intervalMs) noexcept override {
        const Timed timed(times_, "pop-up: timer");
        real_->SetTimer(enabled, intervalMs);
    }
    int ShowContextMenu(const std::vector<ContextMenuEntry>& entries,
                        std::optional<PixelPoint> at) override {
        return real_->ShowContextMenu(entries, at);
    }

private:
    std::unique_ptr<PopupView> real_;
    StepTimes& times_;
    Clock::time_point& runStart_;
};

} // namespace

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

StepTimes::Step& StepTimes::Find(const std::string& name) {
    for (Step& step : steps_) {
        if (step.name == name) {
            return step;
        }
    }
    Step added;
    added.name = name;
    steps_.push_back(std::move(added));
    return steps_.back();
}

void StepTimes::Add(const std::string& step, Clock::duration spent) {
    Step& found = Find(step);
    found.thisRequestMs += Ms(spent);
    ++found.thisRequestCalls;
}

void StepTimes::EndRequest() {
    for (Step& step : steps_) {
        step.perRequestMs.push_back(step.thisRequestMs);
        step.perRequestCalls.push_back(step.thisRequestCalls);
        step.thisRequestMs = 0;
        step.thisRequestCalls = 0;
    }
}

void StepTimes::Print() const {
    for (const Step& step : steps_) {
        std::printf("  %-44s %7.2f ms  (%d calls)\n", step.name.c_str(), Median(step.perRequestMs),
                    Median(step.perRequestCalls));
    }
}

std::unique_ptr<RecordFile> TimedFileSystem::Open(const std::wstring& path, FileAccess access) {
    std::unique_ptr<RecordFile> file;
    {
        const Timed timed(times_, "data file: open");
        file = real_.Open(path, access);
    }
    if (!file) {
        return file;
    }
    return std::make_unique<TimedRecordFile>(std::move(file), times_);
}

std::optional<std::uint32_t> TimedSystemInfo::VolumeSerialNumber(const std::wstring& root) {
    const Timed timed(times_, "system: volume serial number");
    return real_.VolumeSerialNumber(root);
}

std::wstring TimedSystemInfo::ComponentDirectory() {
    const Timed timed(times_, "system: module path");
    return real_.ComponentDirectory();
}

std::wstring TimedSystemInfo::ExecutableName() {
    const Timed timed(times_, "system: module path");
    return real_.ExecutableName();
}

PixelPoint TimedDesktop::CursorPos() noexcept {
    const Timed timed(times_, "pointer and screen queries");
    return real_.CursorPos();
}

double TimedDesktop::TwipsPerPixelX() noexcept {
    const Timed timed(times_, "pointer and screen queries");
    return real_.TwipsPerPixelX();
}

double TimedDesktop::TwipsPerPixelY() noexcept {
    const Timed timed(times_, "pointer and screen queries");
    return real_.TwipsPerPixelY();
}

double TimedDesktop::ScreenWidthTwips() noexcept {
    const Timed timed(times_, "pointer and screen queries");
    return real_.ScreenWidthTwips();
}

double TimedDesktop::ScreenHeightTwips() noexcept {
    const Timed timed(times_, "pointer and screen queries");
    return real_.ScreenHeightTwips();
}

PixelRect TimedDesktop::WorkAreaAt(PixelPoint point) noexcept {
    const Timed timed(times_, "pointer and screen queries");
    return real_.WorkAreaAt(point);
}

void TimedDesktop::SetCursorPos(std::int32_t x, std::int32_t y) noexcept {
    const Timed timed(times_, "pointer onto the banner (SetCursorPos)");
    real_.SetCursorPos(x, y);
}

void TimedDesktop::DoEvents() {
    const Timed timed(times_, "pending messages (DoEvents)");
    real_.DoEvents();
}

std::unique_ptr<PopupView> TimedWindows::CreateSnippetMenuView(SnippetMenu& menu) {
    std::unique_ptr<PopupView> view;
    {
        const Timed timed(times_, "pop-up: create (class, window, font)");
        view = real_.CreateSnippetMenuView(menu);
    }
    return std::make_unique<TimedPopupView>(std::move(view), times_, modalRunStarted);
}

} // namespace quillery::bench
