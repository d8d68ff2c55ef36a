#include "ThreadStarts.h"

#include "winapi/UniqueResource.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

// A spin lock: usable from the first thread attach on, before any constructor has run.
std::atomic_flag startedLock = ATOMIC_FLAG_INIT;
std::vector<DWORD>* startedThreads = nullptr; // made on the first attach, never freed

class StartedLock {
public:
    StartedLock() {
        while (startedLock.test_and_set(std::memory_order_acquire)) {
            SwitchToThread();
        }
    }
    ~StartedLock() { startedLock.clear(std::memory_order_release); }
    StartedLock(const StartedLock&) = delete;
    StartedLock& operator=(const StartedLock&) = delete;
};

void NTAPI RecordThreadStart(PVOID, DWORD reason, PVOID) {
    if (reason != DLL_THREAD_ATTACH && reason != DLL_THREAD_DETACH) {
        return;
    }
    const DWORD id = GetCurrentThreadId();
    StartedLock lock;
    if (startedThreads == nullptr) {
        startedThreads = new std::vector<DWORD>;
    }
    auto& started = *startedThreads;
    if (reason == DLL_THREAD_ATTACH) {
        started.push_back(id);
    } else {
        started.erase(std::remove(started.begin(), started.end(), id), started.end());
    }
}

bool HasStarted(DWORD thread) {
    StartedLock lock;
    return startedThreads != nullptr && std::find(startedThreads->begin(), startedThreads->end(),
                                                  thread) != startedThreads->end();
}

} // namespace

namespace quillery::wintest {

bool OtherThreadsHaveStarted() {
    // Like CreateFileW, it reports failure as INVALID_HANDLE_VALUE.
    const win32::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) {
        return true; // nothing to wait for that can be seen
    }
    bool allStarted = true;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot.get(), &entry); more && allStarted;
         more = Thread32Next(snapshot.get(), &entry)) {
        allStarted = entry.th32OwnerProcessID != GetCurrentProcessId() ||
                     entry.th32ThreadID == GetCurrentThreadId() || HasStarted(entry.th32ThreadID);
    }
    return allStarted;
}

void WaitForOtherThreadsToStart() {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!OtherThreadsHaveStarted()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            std::fputs("A thread of the test program had not started after 30 s\n", stderr);
            return;
        }
        Sleep(1);
    }
}

} // namespace quillery::wintest

// The loader calls the program's TLS callbacks as each thread starts and ends; the linker
// gathers them from the .CRT$XL* sections, in name order.
extern "C" __attribute__((section(".CRT$XLY"), used))
const PIMAGE_TLS_CALLBACK quilleryRecordThreadStart = RecordThreadStart;
