#include "dll/ClassFactory.h"

#include "dll/DllModule.h"
#include "winapi/ComObject.h"

#include <new>

namespace quillery::dll {
namespace {

// The one class factory: it creates objects through the function of its table entry. A live
// factory keeps the DLL in use, as a client that holds it will call into the DLL again.
class ClassFactory final : public win32::ComObject<IClassFactory, IID_IUnknown, IID_IClassFactory> {
public:
    explicit ClassFactory(CreateInstanceFunction create) noexcept : create_(create) {}

    IFACEMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return create_(iid, object);
    }

    IFACEMETHODIMP LockServer(BOOL lock) noexcept override {
        if (lock) {
            AddServerLock();
        } else {
            ReleaseServerLock();
        }
        return S_OK;
    }

private:
    ~ClassFactory() override = default;

    ModuleReference module_;
    CreateInstanceFunction create_;
};

} // namespace

HRESULT GetClassObject(const ClassTable& table, REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    for (std::size_t i = 0; i < table.count; ++i) {
        const ClassEntry& entry = table.entries[i];
        if (!IsEqualCLSID(clsid, *entry.clsid)) {
            continue;
        }
        auto* factory = new (std::nothrow) ClassFactory(entry.create);
        if (factory == nullptr) {
            return E_OUTOFMEMORY;
        }
        const HRESULT result = factory->QueryInterface(iid, object);
        factory->Release();
        return result;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace quillery::dll
