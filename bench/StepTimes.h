#pragma once

#include "menu/SnippetMenu.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"
#include "platform/WindowView.h"

#include <chrono>
#include <string>
#include <vector>

namespace quillery::bench {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration duration);

// The time a request spends in each step, summed per request, and the medians over requests.
class StepTimes {
public:
    void Add(const std::string& step, Clock::duration spent);
    void EndRequest(); // what was added since the last call is one request's
    // One line per step, in the order the steps first came: median ms per request and calls.
    void Print() const;

private:
    struct Step {
        std::string name;
        double thisRequestMs = 0;
        int thisRequestCalls = 0;
        std::vector<double> perRequestMs;
        std::vector<int> perRequestCalls;
    };
    Step& Find(const std::string& name);
    std::vector<Step> steps_;
};

// Times a step for as long as it lives.
class Timed {
public:
    Timed(StepTimes& times, std::string step)
        : times_(times), step_(std::move(step)), start_(Clock::now()) {}
    ~Timed() { times_.Add(step_, Clock::now() - start_); }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

private:
    StepTimes& times_;
    std::string step_;
    Clock::time_point start_;
};

// The port's file system, with the data file's opening and reads timed.
class TimedFileSystem final : public FileSystem {
public:
    TimedFileSystem(FileSystem& real, StepTimes& times) : real_(real), times_(times) {}
    bool Exists(const std::wstring& path) override { return real_.Exists(path); }
    std::unique_ptr<RecordFile> Open(const std::wstring& path, FileAccess access) override;
    std::unique_ptr<RecordFile> Create(const std::wstring& path, bool replace) override {
        return real_.Create(path, replace);
    }

private:
    FileSystem& real_;
    StepTimes& times_;
};

// The port's system information (the volume's serial number, the module's path), timed.
class TimedSystemInfo final : public SystemInfo {
public:
    TimedSystemInfo(SystemInfo& real, StepTimes& times) : real_(real), times_(times) {}
    std::optional<std::uint32_t> VolumeSerialNumber(const std::wstring& root) override;
    std::wstring ComponentDirectory() override;
    std::wstring ExecutableName() override;

private:
    SystemInfo& real_;
    StepTimes& times_;
};

// The port's desktop, with the pointer's warp, the pending-message passes and the pointer and
// screen queries timed.
class TimedDesktop final : public Desktop {
public:
    TimedDesktop(Desktop& real, StepTimes& times) : real_(real), times_(times) {}
    PixelPoint CursorPos() noexcept override;
    void SetCursorPos(std::int32_t x, std::int32_t y) noexcept override;
    double TwipsPerPixelX() noexcept override;
    double TwipsPerPixelY() noexcept override;
    double ScreenWidthTwips() noexcept override;
    double ScreenHeightTwips() noexcept override;
    PixelRect WorkAreaAt(PixelPoint point) noexcept override;
    void DoEvents() override;
    void SetBusyPointer(bool busy) noexcept override { real_.SetBusyPointer(busy); }

private:
    Desktop& real_;
    StepTimes& times_;
};

// The real windows, with the pop-up's creation, placing, redraws and destruction timed, and
// the time from the start of its modal run to its first paint.
class TimedWindows final : public WindowFactory {
public:
    TimedWindows(WindowFactory& real, StepTimes& times) : real_(real), times_(times) {}
    std::unique_ptr<PopupView> CreateSnippetMenuView(SnippetMenu& menu) override;
    void CloseOtherMenus() noexcept override { real_.CloseOtherMenus(); }
    std::unique_ptr<WindowView> CreateWelcomeView(WelcomeWindow& window) override {
        return real_.CreateWelcomeView(window);
    }
    std::unique_ptr<WindowView> CreateItemEditorView(ItemEditor& editor) override {
        return real_.CreateItemEditorView(editor);
    }

    // When the pop-up's modal run began, for the time to its first paint.
    Clock::time_point modalRunStarted;

private:
    WindowFactory& real_;
    StepTimes& times_;
};

} // namespace quillery::bench
