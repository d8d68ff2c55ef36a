// The test programs' record of started threads, which their main waits on before the process
// ends.

#include "ThreadStarts.h"
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

namespace quillery {
namespace {

using wintest::OtherThreadsHaveStarted;
using wintest::WaitFor;

DWORD WINAPI WaitForTheEvent(void* event) {
    ::WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

// A thread made suspended has not started; resumed, it starts; once it has ended it no longer
// counts.
TEST(ThreadStartsTest, ASuspendedThreadHoldsTheWaitUntilItHasRun) {
    ASSERT_TRUE(WaitFor(OtherThreadsHaveStarted)); // the framework's own threads, if any
    win32::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(release);
    win32::UniqueHandle thread(
        ::CreateThread(nullptr, 0, &WaitForTheEvent, release.get(), CREATE_SUSPENDED, nullptr));
    ASSERT_TRUE(thread);
    EXPECT_FALSE(OtherThreadsHaveStarted());
    ::ResumeThread(thread.get());
    EXPECT_TRUE(WaitFor(OtherThreadsHaveStarted));
    ::SetEvent(release.get());
    ASSERT_EQ(::WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(OtherThreadsHaveStarted());
}

} // namespace
} // namespace quillery
