#include "win32/Win32ThreadSlot.h"

#include "base/Failure.h"

#include "win32/CriticalSection.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex> // std::lock_guard only
#include <utility>

namespace quillery::win32 {
namespace {

// A thread's state, linked into the list of all of them so that an unload can free the
// states of threads that are still running.
struct StateNode {
    ThreadState state;
    StateNode* previous = nullptr;
    StateNode* next = nullptr;
};

constexpr DWORD kNoSlot = TLS_OUT_OF_INDEXES;

std::atomic<DWORD> g_slot{kNoSlot};

CriticalSection g_nodesLock;
StateNode* g_nodes = nullptr;
std::size_t g_nodeCount = 0;

// The slot, taken on first use; when two threads race to take it, one slot wins and the other
// is given back.
DWORD Slot() {
    DWORD slot = g_slot.load(std::memory_order_acquire);
    if (slot != kNoSlot) {
        return slot;
    }
    const DWORD fresh = ::TlsAlloc();
    if (fresh == kNoSlot) {
        throw Failure("no thread-local storage slot left", ::GetLastError());
    }
    if (g_slot.compare_exchange_strong(slot, fresh, std::memory_order_acq_rel)) {
        return fresh;
    }
    ::TlsFree(fresh);
    return slot;
}

void Link(StateNode* node) {
    const std::lock_guard<CriticalSection> guard(g_nodesLock);
    node->next = g_nodes;
    if (g_nodes != nullptr) {
        g_nodes->previous = node;
    }
    g_nodes = node;
    ++g_nodeCount;
}

void Unlink(StateNode* node) {
    const std::lock_guard<CriticalSection> guard(g_nodesLock);
    if (node->previous != nullptr) {
        node->previous->next = node->next;
    } else {
        g_nodes = node->next;
    }
    if (node->next != nullptr) {
        node->next->previous = node->previous;
    }
    --g_nodeCount;
}

} // namespace

ThreadState& Win32ThreadSlot::Current() {
    const DWORD slot = Slot();
    if (auto* node = static_cast<StateNode*>(::TlsGetValue(slot))) {
        return node->state;
    }
    auto node = std::make_unique<StateNode>();
    if (!::TlsSetValue(slot, node.get())) {
        throw Failure("cannot store the thread's state", ::GetLastError());
    }
    Link(node.get());
    return node.release()->state;
}

void Win32ThreadSlot::ReleaseCurrent() noexcept {
    ReleaseThreadState();
}

void ReleaseThreadState() noexcept {
    const DWORD slot = g_slot.load(std::memory_order_acquire);
    if (slot == kNoSlot) {
        return;
    }
    auto* node = static_cast<StateNode*>(::TlsGetValue(slot));
    if (node == nullptr) {
        return; // the thread never used the component
    }
    ::TlsSetValue(slot, nullptr);
    Unlink(node);
    delete node;
}

bool AttachThreadSlot() noexcept {
    try {
        Slot();
        return true;
    } catch (...) {
        return false;
    }
}

void DetachThreadSlot(bool processEnding) noexcept {
    if (processEnding) {
        return;
    }
    StateNode* nodes = nullptr;
    {
        const std::lock_guard<CriticalSection> guard(g_nodesLock);
        nodes = std::exchange(g_nodes, nullptr);
        g_nodeCount = 0;
    }
    while (nodes != nullptr) {
        delete std::exchange(nodes, nodes->next);
    }
    // Freeing the slot clears it in every thread, so no thread keeps a pointer to a freed
    // state, and a later load starts from empty slots.
    const DWORD slot = g_slot.exchange(kNoSlot, std::memory_order_acq_rel);
    if (slot != kNoSlot) {
        ::TlsFree(slot);
    }
}

std::size_t LiveThreadStates() noexcept {
    const std::lock_guard<CriticalSection> guard(g_nodesLock);
    return g_nodeCount;
}

} // namespace quillery::win32
