// Read before GoogleTest's own headers in the Windows build (GoogleTest.cmake includes it in
// every C++ file that uses GoogleTest).
//
// GoogleTest's Notification waits on std::mutex and std::condition_variable, which MinGW-w64's
// win32 thread model does not have; everything else of GoogleTest's threading on Windows uses
// the system's own calls. GoogleTest uses Notification only to hold back the threads of its
// ThreadWithParam, which no test here starts, so a flag that the waiter polls is enough.
#pragma once

#include <atomic>
#include <thread>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true, std::memory_order_release); }
    void WaitForNotification() {
        while (!notified_.load(std::memory_order_acquire)) {
            std::this_thread::yield();
        }
    }

private:
    std::atomic<bool> notified_{false};
};

} // namespace testing::internal
