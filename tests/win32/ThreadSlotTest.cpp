// The per-thread state on its TLS slot, and the resource owners.

#include "platform/win32/ThreadSlot.h"
#include "platform/win32/UniqueResource.h"
#include "shared/ThreadContext.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace quillery {
namespace {

// A thread that runs the steps it is given, one at a time, and waits between them: so a test
// can keep several threads alive at once and interleave them.
class Worker {
public:
    Worker() : thread_([this] { Loop(); }) {}
    ~Worker() {
        Run([this] { done_ = true; });
        thread_.join();
    }

    void Run(std::function<void()> step) {
        std::unique_lock<std::mutex> guard(lock_);
        step_ = std::move(step);
        changed_.notify_all();
        changed_.wait(guard, [this] { return !step_; });
    }

private:
    void Loop() {
        std::unique_lock<std::mutex> guard(lock_);
        while (!done_) {
            changed_.wait(guard, [this] { return static_cast<bool>(step_); });
            step_();
            step_ = nullptr;
            changed_.notify_all();
        }
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::function<void()> step_;
    bool done_ = false;
    std::thread thread_;
};

class ThreadSlotTest : public ::testing::Test {
protected:
    void SetUp() override {
        ReleaseCurrentThread();
        base_ = LiveThreadContexts();
    }
    void TearDown() override { ReleaseCurrentThread(); }
    std::size_t Added() const { return LiveThreadContexts() - base_; }

private:
    std::size_t base_ = 0;
};

TEST_F(ThreadSlotTest, EachThreadGetsItsOwnContextOnFirstUse) {
    Worker early; // running before this thread touches its state
    CurrentThread().module.SelectedText = L"main";
    ThreadContext* mainContext = &CurrentThread();
    EXPECT_EQ(Added(), 1u);

    Worker late;
    ThreadContext* contexts[2] = {};
    std::wstring before[2];
    early.Run([&] {
        before[0] = CurrentThread().module.SelectedText;
        CurrentThread().module.SelectedText = L"early";
        contexts[0] = &CurrentThread();
    });
    late.Run([&] {
        before[1] = CurrentThread().module.SelectedText;
        CurrentThread().module.SelectedText = L"late";
        contexts[1] = &CurrentThread();
    });
    EXPECT_EQ(Added(), 3u);
    EXPECT_EQ(before[0], L"");
    EXPECT_EQ(before[1], L"");
    EXPECT_NE(contexts[0], mainContext);
    EXPECT_NE(contexts[1], mainContext);
    EXPECT_NE(contexts[0], contexts[1]);

    std::wstring later;
    early.Run([&] { later = CurrentThread().module.SelectedText; });
    EXPECT_EQ(later, L"early");
    EXPECT_EQ(CurrentThread().module.SelectedText, L"main");
    EXPECT_EQ(&CurrentThread(), mainContext);

    early.Run([] { ReleaseCurrentThread(); });
    late.Run([] { ReleaseCurrentThread(); });
    EXPECT_EQ(Added(), 1u);
}

TEST_F(ThreadSlotTest, ReleaseFreesAndTheNextUseStartsAfresh) {
    CurrentThread().module.SelectedText = L"chosen";
    CurrentThread().module.CurrentItem = 7;
    EXPECT_EQ(Added(), 1u);

    ReleaseCurrentThread();
    EXPECT_EQ(Added(), 0u);
    ReleaseCurrentThread(); // nothing left to free
    EXPECT_EQ(Added(), 0u);

    EXPECT_EQ(CurrentThread().module.SelectedText, L"");
    EXPECT_EQ(CurrentThread().module.CurrentItem, 0);
    EXPECT_EQ(Added(), 1u);

    Worker unused;
    unused.Run([] { ReleaseCurrentThread(); }); // a thread that never used the component
    EXPECT_EQ(Added(), 1u);
}

// Unloading the DLL frees the contexts of threads that are still running; those threads start
// afresh on their next use instead of reaching freed memory.
TEST_F(ThreadSlotTest, UnloadFreesEveryThreadsContext) {
    Worker other;
    other.Run([] { CurrentThread().module.SelectedText = L"other"; });
    CurrentThread().module.SelectedText = L"main";
    ASSERT_GE(LiveThreadContexts(), 2u);

    DetachThreadSlot(false);
    EXPECT_EQ(LiveThreadContexts(), 0u);

    // The slot taken next is usually the one just given back: the other thread must not find
    // its old, freed context there.
    std::wstring seen = L"unset";
    other.Run([&] { seen = CurrentThread().module.SelectedText; });
    EXPECT_EQ(seen, L"");
    EXPECT_EQ(CurrentThread().module.SelectedText, L"");
    EXPECT_EQ(LiveThreadContexts(), 2u);
    other.Run([] { ReleaseCurrentThread(); });

    // When the process ends, nothing is touched.
    DetachThreadSlot(true);
    EXPECT_EQ(LiveThreadContexts(), 1u);
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
} // namespace quillery
