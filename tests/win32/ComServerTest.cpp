// Pennock.dll as a COM server, loaded from beside the test program as a client's COM library
// would load it: the class factory, the module count, the embedded type library and the
// object's IDispatch.

#include "Win32TestSupport.h"

#include "dll/Registration.h"
#include "winapi/UniqueResource.h"

#include "Pennock_h.h"

#include <gtest/gtest.h>

#include <string>

namespace quillery::dll {
namespace {

using win32::UniqueBstr;
using win32::UniqueCom;
using win32::UniqueHandle;
using win32::UniqueModule;
using win32::UniqueWindow;
using wintest::ProgramDirectory;

std::wstring DllPath() {
    return ProgramDirectory() + L"\\Pennock.dll";
}

template <typename Function> Function Export(HMODULE dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
}

class ComServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        dll_.reset(::LoadLibraryW(DllPath().c_str()));
        ASSERT_TRUE(dll_) << "error " << ::GetLastError();
        getClassObject_ = Export<decltype(getClassObject_)>(dll_.get(), "DllGetClassObject");
        canUnloadNow_ = Export<decltype(canUnloadNow_)>(dll_.get(), "DllCanUnloadNow");
        ASSERT_TRUE(getClassObject_ && canUnloadNow_);
    }
    void TearDown() override {
        dll_.reset();
        ::CoUninitialize();
    }

    UniqueCom<IClassFactory> Factory() {
        UniqueCom<IClassFactory> factory;
        EXPECT_EQ(getClassObject_(CLSID_DoBiz, IID_IClassFactory,
                                  reinterpret_cast<void**>(factory.put())),
                  S_OK);
        return factory;
    }

    UniqueCom<_DoBiz> NewObject() {
        UniqueCom<_DoBiz> object;
        UniqueCom<IClassFactory> factory = Factory();
        if (factory) {
            EXPECT_EQ(factory.get()->CreateInstance(nullptr, IID__DoBiz,
                                                    reinterpret_cast<void**>(object.put())),
                      S_OK);
        }
        return object;
    }

    UniqueModule dll_;
    HRESULT(WINAPI* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(WINAPI* canUnloadNow_)() = nullptr;
};

TEST_F(ComServerTest, ClassFactoryServesOnlyItsClassAndRefusesAggregation) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(IID__DoBiz, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(CLSID_DoBiz, IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    UniqueCom<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    UniqueCom<_DoBiz> outer = NewObject();
    ASSERT_TRUE(outer);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory.get()->CreateInstance(outer.get(), IID_IUnknown, &out),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory.get()->CreateInstance(nullptr, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory.get()->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
}

// Objects, class factories and server locks each keep the DLL loaded until the last goes.
TEST_F(ComServerTest, CanUnloadNowOnlyWhenNothingIsAlive) {
    EXPECT_EQ(canUnloadNow_(), S_OK);
    UniqueCom<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "a client holds the factory";
    // An unlock without a lock must not cancel the count of what is alive.
    EXPECT_EQ(factory.get()->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "the factory is still alive";
    UniqueCom<_DoBiz> first = NewObject();
    UniqueCom<_DoBiz> second = NewObject();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(factory.get()->LockServer(TRUE), S_OK);
    factory.reset();
    first.reset();
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "one object and the lock";
    second.reset();
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "the lock";
    factory = Factory();
    EXPECT_EQ(factory.get()->LockServer(FALSE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

// The type library in the DLL's resources, as clients and the registration read it.
TEST_F(ComServerTest, EmbeddedTypeLibraryDescribesTheDualInterfaceAndTheClass) {
    UniqueCom<ITypeLib> library;
    ASSERT_EQ(::LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, library.put()), S_OK);
    TLIBATTR* libraryAttributes = nullptr;
    ASSERT_EQ(library.get()->GetLibAttr(&libraryAttributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(libraryAttributes->guid, LIBID_Pennock));
    EXPECT_EQ(libraryAttributes->lcid, 0x0409u);
    EXPECT_EQ(libraryAttributes->wMajorVerNum, 1);
    EXPECT_EQ(libraryAttributes->wMinorVerNum, 0);
    // The library describes the DLL's own platform: a 64-bit client reads pointers and the
    // vtable's offsets from it as 8 bytes wide.
    EXPECT_EQ(libraryAttributes->syskind, kThisPlatformIs64Bit ? SYS_WIN64 : SYS_WIN32);
    library.get()->ReleaseTLibAttr(libraryAttributes);
    EXPECT_EQ(library.get()->GetTypeInfoCount(), 2u);

    UniqueBstr name;
    UniqueBstr help;
    ASSERT_EQ(library.get()->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name.get()), L"Pennock");
    EXPECT_GT(::SysStringLen(help.get()), 0u) << "the library has a help string";

    UniqueCom<ITypeInfo> dispatch;
    ASSERT_EQ(library.get()->GetTypeInfoOfGuid(IID__DoBiz, dispatch.put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(dispatch.get()->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
    const WORD flags =
        TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
    EXPECT_EQ(attributes->wTypeFlags & flags, flags);
    dispatch.get()->ReleaseTypeAttr(attributes);

    // The vtable side: loadmenu in the first slot after IDispatch's seven, stdcall, one
    // out-retval BSTR*.
    HREFTYPE vtableRef = 0;
    ASSERT_EQ(dispatch.get()->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef), S_OK);
    UniqueCom<ITypeInfo> vtable;
    ASSERT_EQ(dispatch.get()->GetRefTypeInfo(vtableRef, vtable.put()), S_OK);
    ASSERT_EQ(vtable.get()->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attributes->wTypeFlags & (flags | TYPEFLAG_FOLEAUTOMATION),
              flags | TYPEFLAG_FOLEAUTOMATION);
    EXPECT_EQ(attributes->cFuncs, 1);
    vtable.get()->ReleaseTypeAttr(attributes);
    FUNCDESC* function = nullptr;
    ASSERT_EQ(vtable.get()->GetFuncDesc(0, &function), S_OK);
    EXPECT_EQ(function->memid, 0x60030000);
    EXPECT_EQ(function->oVft, static_cast<SHORT>(7 * sizeof(void*)));
    EXPECT_EQ(function->callconv, CC_STDCALL);
    EXPECT_EQ(function->invkind, INVOKE_FUNC);
    ASSERT_EQ(function->cParams, 1);
    EXPECT_EQ(function->lprgelemdescParam[0].tdesc.vt, VT_PTR);
    EXPECT_EQ(function->lprgelemdescParam[0].tdesc.lptdesc->vt, VT_BSTR);
    EXPECT_EQ(function->lprgelemdescParam[0].paramdesc.wParamFlags &
                  (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL),
              PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
    vtable.get()->ReleaseFuncDesc(function);

    UniqueCom<ITypeInfo> coclass;
    ASSERT_EQ(library.get()->GetTypeInfoOfGuid(CLSID_DoBiz, coclass.put()), S_OK);
    ASSERT_EQ(coclass.get()->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attributes->cImplTypes, 1);
    coclass.get()->ReleaseTypeAttr(attributes);
    INT implFlags = 0;
    EXPECT_EQ(coclass.get()->GetImplTypeFlags(0, &implFlags), S_OK);
    EXPECT_TRUE(implFlags & IMPLTYPEFLAG_FDEFAULT);
}

TEST_F(ComServerTest, DispatchFindsLoadmenuByNameAndRejectsWhatItDoesNotHave) {
    UniqueCom<_DoBiz> object = NewObject();
    ASSERT_TRUE(object);
    IDispatch* dispatch = object.get();

    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    UniqueCom<ITypeInfo> info;
    EXPECT_EQ(dispatch->GetTypeInfo(0, 0, info.put()), S_OK);
    EXPECT_TRUE(info);
    ITypeInfo* none = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(dispatch->GetTypeInfo(1, 0, &none), DISP_E_BADINDEX);
    EXPECT_EQ(none, nullptr);

    const struct {
        const wchar_t* name;
        HRESULT result;
        DISPID id;
    } names[] = {
        {L"loadmenu", S_OK, 0x60030000},
        {L"LoadMenu", S_OK, 0x60030000}, // scripts do not care about case
        {L"showmenu", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
    };
    for (const auto& row : names) {
        SCOPED_TRACE(testing::Message() << row.name);
        std::wstring name = row.name;
        LPOLESTR names1[] = {name.data()};
        DISPID id = 0;
        EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names1, 1, 0x0409, &id), row.result);
        EXPECT_EQ(id, row.id);
    }
    std::wstring name = L"loadmenu";
    LPOLESTR names1[] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID__DoBiz, names1, 1, 0x0409, &id), DISP_E_UNKNOWNINTERFACE);

    DISPPARAMS noArguments{};
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(dispatch->Invoke(0x1234, IID_NULL, 0x0409, DISPATCH_METHOD, &noArguments, &result,
                               nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(dispatch->Invoke(0x60030000, IID__DoBiz, 0x0409, DISPATCH_METHOD, &noArguments,
                               &result, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = 1;
    DISPPARAMS oneArgument{&argument, nullptr, 1, 0};
    EXPECT_EQ(dispatch->Invoke(0x60030000, IID_NULL, 0x0409, DISPATCH_METHOD, &oneArgument, &result,
                               nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(result.vt, VT_EMPTY) << "no menu was shown";
    EXPECT_EQ(object.get()->loadmenu(nullptr), E_POINTER);
}

// A window of this thread whose handler calls loadmenu: a request made from inside the
// modal loop of a running request, as a page's script could make it.
class ReentrantCaller {
public:
    explicit ReentrantCaller(_DoBiz* object) : object_(object) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &ReentrantCaller::Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuilleryReentrantCaller";
        ::RegisterClassW(&windowClass);
        window_.reset(::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0,
                                        HWND_MESSAGE, nullptr, windowClass.hInstance, this));
        handled_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    }
    HWND window() const { return window_.get(); }
    HANDLE handled() const { return handled_.get(); }
    HRESULT result = S_OK;
    bool called = false;
    BSTR text = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ReentrantCaller*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_APP && self != nullptr) {
            self->called = true;
            self->result = self->object_->loadmenu(&self->text);
            ::SetEvent(self->handled_.get());
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    _DoBiz* object_;
    UniqueWindow window_;
    UniqueHandle handled_;
};

// Without a data file beside the DLL the request ends with the fatal report. The call still
// succeeds through IDispatch with an empty string, creates no file, and a second request
// started from inside the first (while its message box is up) fails cleanly instead of
// showing the pop-up twice.
TEST_F(ComServerTest, LateBoundRequestEndsCleanlyAfterAFatalReport) {
    const std::wstring dataFile = ProgramDirectory() + L"\\Menu.dat";
    if (::GetFileAttributesW(dataFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "a Menu.dat lies beside the tests";
    }
    UniqueCom<_DoBiz> object = NewObject();
    ASSERT_TRUE(object);
    ReentrantCaller caller(object.get());
    ASSERT_NE(caller.window(), nullptr);

    wintest::MessageBoxWatcher boxes;
    boxes.WhileShown([&] {
        ::PostMessageW(caller.window(), WM_APP, 0, 0);
        ::WaitForSingleObject(caller.handled(), 5000);
    });
    DISPPARAMS noArguments{};
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(object.get()->Invoke(0x60030000, IID_NULL, 0x0409,
                                   DISPATCH_METHOD | DISPATCH_PROPERTYGET, &noArguments, &result,
                                   nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_BSTR);
    if (result.vt == VT_BSTR) {
        EXPECT_EQ(::SysStringLen(result.bstrVal), 0u);
    }
    ::VariantClear(&result);

    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"Error opening data file"});
    EXPECT_TRUE(caller.called);
    EXPECT_TRUE(FAILED(caller.result));
    EXPECT_EQ(caller.text, nullptr);
    EXPECT_EQ(::GetFileAttributesW(dataFile.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The pop-up's window class lives in the DLL's code: once DllCanUnloadNow has let the DLL go it
// is unregistered, and the next request registers it again and runs. Without a data file each
// request ends at once with its box, which the watcher answers.
TEST_F(ComServerTest, WindowClassesGoWhenTheDllMayUnloadAndComeBackWithTheNextRequest) {
    const std::wstring dataFile = ProgramDirectory() + L"\\Menu.dat";
    if (::GetFileAttributesW(dataFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "a Menu.dat lies beside the tests";
    }
    wintest::MessageBoxWatcher boxes;
    const auto classRegistered = [&] {
        WNDCLASSEXW info{};
        info.cbSize = sizeof(info);
        return ::GetClassInfoExW(dll_.get(), L"QuillerySnippetMenu", &info) != FALSE;
    };
    const auto request = [&] {
        UniqueCom<_DoBiz> object = NewObject();
        ASSERT_TRUE(object);
        BSTR text = nullptr;
        EXPECT_EQ(object.get()->loadmenu(&text), S_OK);
        EXPECT_EQ(::SysStringLen(text), 0u);
        ::SysFreeString(text);
        EXPECT_TRUE(classRegistered()) << "the request's window registered its class";
        EXPECT_EQ(canUnloadNow_(), S_FALSE) << "the object is alive";
        EXPECT_TRUE(classRegistered()) << "kept while the DLL is in use";
    };
    request();
    EXPECT_EQ(canUnloadNow_(), S_OK);
    EXPECT_FALSE(classRegistered());
    request();
    EXPECT_EQ(canUnloadNow_(), S_OK);
    EXPECT_FALSE(classRegistered());
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::wstring>{L"Error opening data file", L"Error opening data file"}));
}

} // namespace
} // namespace quillery::dll
