#pragma once

namespace quillery::win32 {

// Counts the uses of the module that holds the code of an object handed to a client, so that
// the module stays loaded while a client can still call that code. The component passes its
// own count; a program that links the views directly needs none, and then nothing is counted.
struct ModuleUse {
    void (*acquire)() noexcept = nullptr;
    void (*release)() noexcept = nullptr;

    void Acquire() const noexcept {
        if (acquire != nullptr) {
            acquire();
        }
    }
    void Release() const noexcept {
        if (release != nullptr) {
            release();
        }
    }
};

} // namespace quillery::win32
