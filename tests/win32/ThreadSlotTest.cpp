// The per-thread state on its TLS slot, and the resource owners.

#include "Win32TestSupport.h"

#include "win32/UniqueResource.h"
#include "win32/Win32ThreadSlot.h"

#include <gtest/gtest.h>

#include <functional>

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

class ThreadSlotTest : public ::testing::Test {
protected:
    void SetUp() override {
        slot.ReleaseCurrent();
        base_ = LiveThreadStates();
    }
    void TearDown() override { slot.ReleaseCurrent(); }
    std::size_t Added() const { return LiveThreadStates() - base_; }

    Win32ThreadSlot slot;

private:
    std::size_t base_ = 0;
};

TEST_F(ThreadSlotTest, EachThreadGetsItsOwnStateOnFirstUse) {
    Worker early; // running before this thread touches its state
    slot.Current().requestRunning = true;
    ThreadState* mainState = &slot.Current();
    EXPECT_EQ(Added(), 1u);

    Worker late;
    ThreadState* states[2] = {};
    bool before[2] = {true, true};
    early.Run([&] {
        before[0] = slot.Current().requestRunning;
        slot.Current().requestRunning = true;
        states[0] = &slot.Current();
    });
    late.Run([&] {
        before[1] = slot.Current().requestRunning;
        states[1] = &slot.Current();
    });
    EXPECT_EQ(Added(), 3u);
    EXPECT_FALSE(before[0]);
    EXPECT_FALSE(before[1]);
    EXPECT_NE(states[0], mainState);
    EXPECT_NE(states[1], mainState);
    EXPECT_NE(states[0], states[1]);

    bool later[2] = {false, true};
    early.Run([&] { later[0] = slot.Current().requestRunning; });
    late.Run([&] { later[1] = slot.Current().requestRunning; });
    EXPECT_TRUE(later[0]);
    EXPECT_FALSE(later[1]) << "another thread's flag leaked into this one";
    EXPECT_TRUE(slot.Current().requestRunning);
    EXPECT_EQ(&slot.Current(), mainState);

    early.Run([&] { slot.ReleaseCurrent(); });
    late.Run([&] { slot.ReleaseCurrent(); });
    EXPECT_EQ(Added(), 1u);
}

TEST_F(ThreadSlotTest, ReleaseFreesAndTheNextUseStartsAfresh) {
    slot.Current().requestRunning = true;
    EXPECT_EQ(Added(), 1u);

    slot.ReleaseCurrent();
    EXPECT_EQ(Added(), 0u);
    slot.ReleaseCurrent(); // nothing left to free
    EXPECT_EQ(Added(), 0u);

    EXPECT_FALSE(slot.Current().requestRunning);
    EXPECT_EQ(Added(), 1u);

    Worker unused;
    unused.Run([] { ReleaseThreadState(); }); // a thread that never used the component
    EXPECT_EQ(Added(), 1u);
}

// Unloading the DLL frees the states of threads that are still running; those threads start
// afresh on their next use instead of reaching freed memory.
TEST_F(ThreadSlotTest, UnloadFreesEveryThreadsState) {
    Worker other;
    other.Run([&] { slot.Current().requestRunning = true; });
    slot.Current().requestRunning = true;
    ASSERT_GE(LiveThreadStates(), 2u);

    DetachThreadSlot(false);
    EXPECT_EQ(LiveThreadStates(), 0u);

    // The slot taken next is usually the one just given back: the other thread must not find
    // its old, freed state there.
    bool seen = true;
    other.Run([&] { seen = slot.Current().requestRunning; });
    EXPECT_FALSE(seen);
    EXPECT_FALSE(slot.Current().requestRunning);
    EXPECT_EQ(LiveThreadStates(), 2u);
    other.Run([&] { slot.ReleaseCurrent(); });

    // When the process ends, nothing is touched.
    DetachThreadSlot(true);
    EXPECT_EQ(LiveThreadStates(), 1u);
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
