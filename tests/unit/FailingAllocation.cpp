#include "FailingAllocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> failNext{false};
} // namespace

namespace quillery::testing {
void FailNextAllocation() noexcept {
    failNext = true;
}
} // namespace quillery::testing

// The program's allocation functions: malloc and free, with the one failure on request. The
// array forms and the sized delete call these.
void* operator new(std::size_t size) {
    if (failNext.exchange(false)) {
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
