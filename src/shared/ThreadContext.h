#pragma once

#include "platform/RecordFile.h"
#include "shared/Module1.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace quillery {

// A window that a fatal error report may close while it is open.
class ClosableWindow {
public:
    virtual ~ClosableWindow() = default;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
};

// The windows a fatal report closes, in the order it closes them.
enum class FatalCloseSlot { EditItem, Intro, Select };

// Everything the component keeps for one thread: the shared module state, the files it has
// open under their file numbers, and its windows as far as error reporting must reach them.
class ThreadContext {
public:
    Module1 module;

    // True while a fatal error report closes the windows: their unload steps then leave the
    // other windows alone (the pop-up is about to close too).
    bool closingForFatalReport = false;

    // The file-number pool: each open file under the small number it was opened with.
    std::int16_t FreeFileNumber() const;
    void AttachFile(std::int16_t number, std::unique_ptr<RecordFile> file);
    RecordFile* File(std::int16_t number) const;
    void CloseFile(std::int16_t number);

    // This thread's single instance of T (a window), created on first use.
    template <typename T> T& Instance() {
        auto& slot = instances_[std::type_index(typeid(T))];
        if (!slot) {
            slot = std::make_shared<T>();
        }
        return *static_cast<T*>(slot.get());
    }

    void RegisterWindow(FatalCloseSlot slot, ClosableWindow* window);
    ClosableWindow* Window(FatalCloseSlot slot) const;

private:
    std::map<std::int16_t, std::unique_ptr<RecordFile>> files_;
    std::array<ClosableWindow*, 3> windows_{};
    std::unordered_map<std::type_index, std::shared_ptr<void>> instances_;
};

// This thread's context, created on first use.
ThreadContext& CurrentThread();

// Frees this thread's context (thread detach); the next use creates a fresh one.
void ReleaseCurrentThread();

} // namespace quillery
