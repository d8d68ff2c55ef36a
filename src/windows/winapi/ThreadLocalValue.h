#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>

namespace quillery::win32 {

// One slot of the system's thread-local storage, owned: taken at construction and given back
// at destruction, which clears it in every thread, so a slot taken again later holds nothing
// of the last owner's. Each thread reads T{} until it stores a value, threads that were running
// before the slot was taken too. It holds one pointer-sized value per thread and allocates
// nothing, so a thread that ends leaves nothing behind to free.
template <typename T> class ThreadLocalValue {
    static_assert(std::is_pointer_v<T> || std::is_integral_v<T>, "a pointer-sized value");
    static_assert(sizeof(T) <= sizeof(void*), "a pointer-sized value");

public:
    ThreadLocalValue() noexcept : index_(::TlsAlloc()) {}
    ~ThreadLocalValue() {
        if (Allocated()) {
            ::TlsFree(index_);
        }
    }
    ThreadLocalValue(const ThreadLocalValue&) = delete;
    ThreadLocalValue& operator=(const ThreadLocalValue&) = delete;

    // False when the process had no slot left: then every thread reads T{} and stores nothing.
    bool Allocated() const noexcept { return index_ != TLS_OUT_OF_INDEXES; }

    // The calling thread's value.
    T Get() const noexcept {
        void* stored = ::TlsGetValue(index_); // null for a slot that was never allocated
        if constexpr (std::is_pointer_v<T>) {
            return static_cast<T>(stored);
        } else {
            return static_cast<T>(reinterpret_cast<std::uintptr_t>(stored));
        }
    }

    // Stores the calling thread's value. False, with the system's error, when the slot was
    // never allocated or the system has no memory for this thread's slots past the first 64.
    bool Set(T value) const noexcept {
        void* stored = nullptr;
        if constexpr (std::is_pointer_v<T>) {
            stored = value;
        } else {
            stored = reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
        }
        return ::TlsSetValue(index_, stored) != FALSE;
    }

private:
    DWORD index_;
};

} // namespace quillery::win32
