#include "shared/ThreadContext.h"

namespace quillery {

std::int16_t ThreadContext::FreeFileNumber() const {
    std::int16_t number = 1;
    while (files_.count(number) != 0) {
        ++number;
    }
    return number;
}

void ThreadContext::AttachFile(std::int16_t number, std::unique_ptr<RecordFile> file) {
    files_[number] = std::move(file);
}

RecordFile* ThreadContext::File(std::int16_t number) const {
    const auto found = files_.find(number);
    return found == files_.end() ? nullptr : found->second.get();
}

void ThreadContext::CloseFile(std::int16_t number) {
    files_.erase(number);
}

void ThreadContext::RegisterWindow(FatalCloseSlot slot, ClosableWindow* window) {
    windows_[static_cast<std::size_t>(slot)] = window;
}

ClosableWindow* ThreadContext::Window(FatalCloseSlot slot) const {
    return windows_[static_cast<std::size_t>(slot)];
}

} // namespace quillery
