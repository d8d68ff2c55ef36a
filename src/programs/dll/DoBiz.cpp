#include "dll/DoBiz.h"

#include "menu/MenuRequest.h"
#include "platform/Platform.h"
#include "views/Win32WindowFactory.h"
#include "win32/Win32SystemInfo.h"
#include "winapi/CriticalSection.h"
#include "winapi/Win32Boundary.h"

#include <mutex>
#include <new>
#include <string>

namespace quillery::dll {
namespace {

using win32::UniqueBstr;
using win32::UniqueCom;

// The type information of _DoBiz from the type library in the DLL's own file, `path`. Loaded
// with REGKIND_NONE: creating an object must never write the registry.
HRESULT LoadInterfaceInfo(const std::wstring& path, UniqueCom<ITypeInfo>& dispatchInfo,
                          UniqueCom<ITypeInfo>& vtableInfo) noexcept {
    UniqueCom<ITypeLib> library;
    HRESULT result = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
    if (FAILED(result)) {
        return result;
    }
    result = library.get()->GetTypeInfoOfGuid(IID__DoBiz, dispatchInfo.put());
    if (FAILED(result)) {
        return result;
    }
    // A dual interface's type information describes its dispatch side; the vtable side, which
    // carries the offsets that DispInvoke calls through, is its implemented type -1.
    HREFTYPE vtable = 0;
    result = dispatchInfo.get()->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable);
    if (FAILED(result)) {
        return result;
    }
    return dispatchInfo.get()->GetRefTypeInfo(vtable, vtableInfo.put());
}

// The type information, loaded by the first object and kept for the process's later ones: every
// request of a page's script creates a new object, and loading the type library for each was
// the larger part of its creation. Dropped by ReleaseInterfaceInfo once no object is left.
struct KeptInterfaceInfo {
    win32::CriticalSection lock;
    UniqueCom<ITypeInfo> dispatchInfo; // under `lock`
    UniqueCom<ITypeInfo> vtableInfo;   // under `lock`
};

// Never destroyed: at the process's end the type library's DLL may be gone before this one,
// and nothing may call into it then. DllCanUnloadNow lets go of what it holds.
KeptInterfaceInfo& KeptInfo() {
    static auto* kept = new KeptInterfaceInfo;
    return *kept;
}

UniqueCom<ITypeInfo> Shared(ITypeInfo* info) noexcept {
    info->AddRef();
    return UniqueCom<ITypeInfo>(info);
}

// The kept type information, loaded first where there is none.
HRESULT InterfaceInfo(UniqueCom<ITypeInfo>& dispatchInfo, UniqueCom<ITypeInfo>& vtableInfo) {
    KeptInterfaceInfo& kept = KeptInfo();
    const std::lock_guard hold(kept.lock);
    if (!kept.dispatchInfo) {
        const HRESULT loaded = LoadInterfaceInfo(win32::Win32SystemInfo(DllModule()).ModulePath(),
                                                 kept.dispatchInfo, kept.vtableInfo);
        if (FAILED(loaded)) {
            kept.dispatchInfo.reset();
            kept.vtableInfo.reset();
            return loaded;
        }
    }
    dispatchInfo = Shared(kept.dispatchInfo.get());
    vtableInfo = Shared(kept.vtableInfo.get());
    return S_OK;
}

} // namespace

DoBiz::DoBiz(UniqueCom<ITypeInfo> dispatchInfo, UniqueCom<ITypeInfo> vtableInfo)
    : dispatchInfo_(std::move(dispatchInfo)), vtableInfo_(std::move(vtableInfo)) {}

HRESULT DoBiz::Create(REFIID iid, void** object) noexcept {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    // Any failure here is that the DLL's own file name could not be read.
    return win32::ComMethod(
        [&]() -> HRESULT {
            UniqueCom<ITypeInfo> dispatchInfo;
            UniqueCom<ITypeInfo> vtableInfo;
            const HRESULT loaded = InterfaceInfo(dispatchInfo, vtableInfo);
            if (FAILED(loaded)) {
                return loaded;
            }
            auto* created =
                new (std::nothrow) DoBiz(std::move(dispatchInfo), std::move(vtableInfo));
            if (created == nullptr) {
                return E_OUTOFMEMORY;
            }
            const HRESULT result = created->QueryInterface(iid, object);
            created->Release();
            return result;
        },
        win32::ComAnswers::Only(E_UNEXPECTED));
}

HRESULT DoBiz::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

HRESULT DoBiz::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    if (index != 0) {
        return DISP_E_BADINDEX;
    }
    dispatchInfo_.get()->AddRef();
    *info = dispatchInfo_.get();
    return S_OK;
}

HRESULT DoBiz::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    return ::DispGetIDsOfNames(vtableInfo_.get(), names, count, ids);
}

HRESULT DoBiz::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* badArgument) {
    if (!IsEqualIID(iid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    return ::DispInvoke(static_cast<_DoBiz*>(this), vtableInfo_.get(), id, flags, params, result,
                        exception, badArgument);
}

HRESULT DoBiz::loadmenu(BSTR* result) noexcept {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    return win32::ComMethod([&]() -> HRESULT {
        // The windows' classes are registered in the DLL, whose code they run; an object that a
        // window hands to a client (a screen reader) counts in the module's uses while it lives.
        win32::Win32WindowFactory windows(DllModule(),
                                          win32::ModuleUse{&LockModule, &UnlockModule});
        const std::wstring text = RunMenuRequest(DllPlatform(), windows);
        UniqueBstr copy(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
        if (!copy) {
            return E_OUTOFMEMORY;
        }
        *result = copy.release();
        return S_OK;
    });
}

void ReleaseInterfaceInfo() noexcept {
    KeptInterfaceInfo& kept = KeptInfo();
    const std::lock_guard hold(kept.lock);
    kept.dispatchInfo.reset();
    kept.vtableInfo.reset();
}

} // namespace quillery::dll
