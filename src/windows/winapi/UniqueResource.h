#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <type_traits>
#include <utility>

namespace quillery::win32 {

// Owns one Windows resource and closes it exactly once. Move-only: a copy would close the
// resource twice. `Traits` gives the raw type, the value that means "nothing" and the call that
// closes it.
template <typename Traits> class UniqueAny {
public:
    using pointer = typename Traits::Type;

    UniqueAny() noexcept = default;
    explicit UniqueAny(pointer value) noexcept : value_(value) {}
    ~UniqueAny() { reset(); }

    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

    // Gives up ownership without closing.
    pointer release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    // Closes what it holds, then holds `value`.
    void reset(pointer value = Traits::Invalid()) noexcept {
        const pointer old = std::exchange(value_, value);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

    // Closes what it holds and gives the address of the empty owner, for out-parameters.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::Invalid();
};

namespace resource_traits {

// Resources whose "nothing" is a null pointer or handle.
template <typename T, auto CloseFunction> struct NullIsEmpty {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type value) noexcept { CloseFunction(value); }
};

// File handles: CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
struct File {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type value) noexcept { ::CloseHandle(value); }
};

template <typename T> struct Com {
    using Type = T*;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type value) noexcept { value->Release(); }
};

} // namespace resource_traits

using UniqueHandle = UniqueAny<resource_traits::NullIsEmpty<HANDLE, &::CloseHandle>>;
using UniqueFile = UniqueAny<resource_traits::File>;
using UniqueKey = UniqueAny<resource_traits::NullIsEmpty<HKEY, &::RegCloseKey>>;
using UniqueModule = UniqueAny<resource_traits::NullIsEmpty<HMODULE, &::FreeLibrary>>;
using UniqueWindow = UniqueAny<resource_traits::NullIsEmpty<HWND, &::DestroyWindow>>;
using UniqueMenu = UniqueAny<resource_traits::NullIsEmpty<HMENU, &::DestroyMenu>>;
using UniqueWinEventHook =
    UniqueAny<resource_traits::NullIsEmpty<HWINEVENTHOOK, &::UnhookWinEvent>>;
using UniqueDc =
    UniqueAny<resource_traits::NullIsEmpty<HDC, &::DeleteDC>>; // CreateDC/CreateCompatibleDC
using UniqueBstr = UniqueAny<resource_traits::NullIsEmpty<BSTR, &::SysFreeString>>;

// A font, brush, pen, bitmap or region: UniqueGdi<HFONT>.
template <typename T> using UniqueGdi = UniqueAny<resource_traits::NullIsEmpty<T, &::DeleteObject>>;

// One reference to a COM object, released once; AddRef is the caller's explicit business.
template <typename T> using UniqueCom = UniqueAny<resource_traits::Com<T>>;

static_assert(!std::is_copy_constructible_v<UniqueHandle> &&
              !std::is_copy_assignable_v<UniqueHandle>);
static_assert(std::is_nothrow_move_constructible_v<UniqueHandle> &&
              std::is_nothrow_move_assignable_v<UniqueHandle>);

} // namespace quillery::win32
