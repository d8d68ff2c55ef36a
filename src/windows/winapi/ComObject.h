#pragma once

#include <windows.h>

#include <objbase.h>

#include <atomic>

namespace quillery::win32 {

// IUnknown for an object that implements the COM interface `Interface` and answers
// QueryInterface for exactly the identities `kIids` (IUnknown and the interfaces `Interface`
// derives from, as the object offers them). The count is atomic: a client may add and release
// references from any thread. An object starts with one reference, its creator's, and the last
// Release deletes it, so it must be made with new.
template <typename Interface, const IID&... kIids> class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    IFACEMETHODIMP QueryInterface(REFIID iid, void** object) noexcept final {
        if (object == nullptr) {
            return E_POINTER;
        }
        if ((IsEqualIID(iid, kIids) || ...)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    IFACEMETHODIMP_(ULONG) AddRef() noexcept final {
        return references_.fetch_add(1, std::memory_order_relaxed) + 1;
    }

    IFACEMETHODIMP_(ULONG) Release() noexcept final {
        const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    ComObject() noexcept = default;
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> references_{1};
};

} // namespace quillery::win32
