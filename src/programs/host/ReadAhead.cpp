#include "host/ReadAhead.h"

#include "base/ScopeExit.h"
#include "winapi/CriticalSection.h"
#include "winapi/UniqueResource.h"
#include "winapi/Win32Boundary.h"

#include <algorithm>
#include <deque>
#include <mutex>

namespace quillery::host {

using win32::UniqueHandle;

struct ReadAhead::Shared {
    explicit Shared(std::unique_ptr<messaging::ByteSource> source) : input(std::move(source)) {}

    std::unique_ptr<messaging::ByteSource> input;
    win32::CriticalSection lock;
    std::deque<messaging::Incoming> queued;                             // under `lock`
    UniqueHandle taken{::CreateEventW(nullptr, FALSE, FALSE, nullptr)}; // one was taken
    UniqueHandle ended{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Signalled while `queued` is not empty: set and reset under `lock`.
    UniqueHandle waiting{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    void Read();
};

ReadAhead::ReadAhead(std::unique_ptr<messaging::ByteSource> input)
    : shared_(std::make_shared<Shared>(std::move(input))) {
    if (!shared_->taken || !shared_->ended || !shared_->waiting) {
        return;
    }
    auto* forThread = new std::shared_ptr<Shared>(shared_);
    const UniqueHandle thread(::CreateThread(nullptr, 0, &Run, forThread, 0, nullptr));
    started_ = static_cast<bool>(thread);
    if (!started_) {
        delete forThread;
    }
}

HANDLE ReadAhead::Ended() const {
    return shared_->ended.get();
}

HANDLE ReadAhead::Waiting() const {
    return shared_->waiting.get();
}

DWORD WINAPI ReadAhead::Run(void* shared) noexcept {
    const std::unique_ptr<std::shared_ptr<Shared>> held(
        static_cast<std::shared_ptr<Shared>*>(shared));
    // A failure (no memory for a message) ends the thread: the input cannot be followed any
    // further, and ends there.
    return win32::ThreadEntry([&] { (*held)->Read(); });
}

void ReadAhead::Shared::Read() {
    const ScopeExit end([this] { ::SetEvent(ended.get()); });
    messaging::MessageReader reader(*input);
    for (;;) {
        messaging::Incoming next = reader.Next();
        if (std::holds_alternative<messaging::EndOfInput>(next)) {
            break;
        }
        for (;;) {
            {
                const std::lock_guard hold(lock);
                if (queued.size() < kMaxAhead) {
                    queued.push_back(std::move(next));
                    ::SetEvent(waiting.get());
                    break;
                }
            }
            ::WaitForSingleObject(taken.get(), INFINITE);
        }
    }
}

messaging::Incoming ReadAhead::Next(std::chrono::milliseconds limit) {
    Shared& shared = *shared_;
    // One wait for the whole limit: nothing wakes the thread between messages but a message or
    // the input's end. A wake for a message already taken waits only for what is left. Counted
    // in the system's 32-bit ticks, whose wrap the unsigned difference absorbs.
    const DWORD longest = static_cast<DWORD>(
        std::clamp<std::chrono::milliseconds::rep>(limit.count(), 0, INFINITE - 1));
    const DWORD start = ::GetTickCount();
    for (;;) {
        // Asked before the queue: whatever came before the end is queued once it is signalled.
        const bool ended = ::WaitForSingleObject(shared.ended.get(), 0) == WAIT_OBJECT_0;
        {
            const std::lock_guard hold(shared.lock);
            if (!shared.queued.empty()) {
                messaging::Incoming next = std::move(shared.queued.front());
                shared.queued.pop_front();
                if (shared.queued.empty()) {
                    ::ResetEvent(shared.waiting.get());
                }
                ::SetEvent(shared.taken.get());
                return next;
            }
        }
        if (ended) {
            return messaging::EndOfInput{};
        }
        const DWORD waited = ::GetTickCount() - start;
        if (waited >= longest) {
            return messaging::Quiet{};
        }
        const HANDLE waits[] = {shared.waiting.get(), shared.ended.get()};
        switch (::WaitForMultipleObjects(2, waits, FALSE, longest - waited)) {
        case WAIT_FAILED:
            return messaging::EndOfInput{};
        case WAIT_TIMEOUT:
            return messaging::Quiet{};
        default:
            break; // a message or the end: taken above
        }
    }
}

} // namespace quillery::host
