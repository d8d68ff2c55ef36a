// The thread slot on its TLS slot, and the resource owners.

#include "Win32TestSupport.h"

#include "win32/Win32ThreadSlot.h"
#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace quillery::win32 {
namespace {

// A thread that runs the steps it is given, one at a time, and waits between them: so a test
// can keep several threads alive at once and interleave them. Run hands a step over and returns
// once the step has run.
class Worker {
public:
    Worker() : thread_([this] { Loop(); }) {}
    ~Worker() {
        Run([this] { done_ = true; });
        thread_.Join();
    }

    void Run(std::function<void()> step) {
        step_ = std::move(step);
        ::SetEvent(stepGiven_.get());
        ::WaitForSingleObject(stepDone_.get(), INFINITE);
    }

private:
    void Loop() {
        while (!done_) {
            ::WaitForSingleObject(stepGiven_.get(), INFINITE);
            step_();
            step_ = nullptr;
            ::SetEvent(stepDone_.get());
        }
    }

    // Both reset themselves as their waiter wakes.
    UniqueHandle stepGiven_{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    UniqueHandle stepDone_{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::function<void()> step_;
    bool done_ = false;
    wintest::Thread thread_;
};

// A thread's running request is its own: no other thread sees it, threads that were running
// before the slot was taken included, and it ends only with EndRequest.
TEST(ThreadSlotTest, EachThreadHasItsOwnRunningRequest) {
    Worker early; // running before the slot is taken
    Win32ThreadSlot slot;
    ASSERT_TRUE(slot.Usable());
    EXPECT_TRUE(slot.TryBeginRequest());
    EXPECT_FALSE(slot.TryBeginRequest()) << "a second request on the same thread";

    Worker late;
    bool began[2] = {false, false};
    early.Run([&] { began[0] = slot.TryBeginRequest(); });
    late.Run([&] { began[1] = slot.TryBeginRequest(); });
    EXPECT_TRUE(began[0]) << "another thread's request leaked into one that ran before";
    EXPECT_TRUE(began[1]) << "another thread's request leaked into a new one";

    late.Run([&] {
        slot.EndRequest();
        began[1] = slot.TryBeginRequest();
    });
    EXPECT_TRUE(began[1]);
    early.Run([&] { began[0] = slot.TryBeginRequest(); });
    EXPECT_FALSE(began[0]) << "another thread's end ended this one's request";
    EXPECT_FALSE(slot.TryBeginRequest());
}

// A DLL unloaded and loaded again gives its slot back and takes one anew, usually the same:
// the marks left in it by running threads are gone from every thread.
TEST(ThreadSlotTest, ASlotTakenAgainHoldsNoRequest) {
    Worker other;
    std::optional<Win32ThreadSlot> slot(std::in_place);
    bool began = false;
    other.Run([&] { began = slot->TryBeginRequest(); });
    ASSERT_TRUE(began && slot->TryBeginRequest());

    slot.emplace();
    other.Run([&] { began = slot->TryBeginRequest(); });
    EXPECT_TRUE(began);
    EXPECT_TRUE(slot->TryBeginRequest());
}

// ---- Resource owners ----------------------------------------------------------------------

bool IsOpenHandle(HANDLE handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueResourceTest, ClosesExactlyOnceWhateverTheOwnershipPath) {
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        UniqueHandle first(raw);
        UniqueHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        UniqueHandle third;
        third = std::move(second);
        EXPECT_TRUE(IsOpenHandle(raw)) << "a move must not close";
        EXPECT_EQ(third.get(), raw);
    }
    EXPECT_FALSE(IsOpenHandle(raw)) << "the last owner closes";

    HANDLE kept = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE replaced = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        UniqueHandle owner(replaced);
        UniqueHandle other(kept);
        owner = std::move(other); // closes what `owner` held before
        EXPECT_FALSE(IsOpenHandle(replaced));
        EXPECT_EQ(owner.release(), kept);
    }
    EXPECT_TRUE(IsOpenHandle(kept)) << "a released handle is the caller's";
    ::CloseHandle(kept);
}

TEST(UniqueResourceTest, EachKindUsesItsOwnCloseAndEmptyValue) {
    UniqueGdi<HBRUSH> brush(::CreateSolidBrush(RGB(1, 2, 3)));
    HBRUSH rawBrush = brush.get();
    EXPECT_EQ(::GetObjectType(rawBrush), static_cast<DWORD>(OBJ_BRUSH));
    brush.reset();
    EXPECT_EQ(::GetObjectType(rawBrush), 0u);

    // CreateFileW fails with INVALID_HANDLE_VALUE, which a file owner counts as empty.
    UniqueFile missing(::CreateFileW(L"C:\\no such folder\\no such file", GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
}

} // namespace
} // namespace quillery::win32
