#pragma once

#include "forms/PixelScale.h"
#include "menu/SnippetMenu.h"
#include "winapi/ComObject.h"
#include "winapi/ModuleUse.h"
#include "winapi/UniqueResource.h"

#include <windows.h>

#include <oleacc.h>

#include <optional>

namespace quillery::win32 {

// The message that the snippet menu's window gets when a client has asked for an entry's
// default action: the entry's number in wParam. Registered once per process, so any program can
// post it: the window acts on it only for the request its accessible object made
// (MenuAccessible::TakeRequest).
UINT ChooseEntryMessage();

// Whether a left click would reach the menu's window now: nothing is in front of it. The pointer
// watch is off while the item commands' menu or the editor is up, and a disabled window lies
// under a modal window or a message box.
bool MenuTakesClicks(const SnippetMenu& menu, HWND window);

// The snippet menu as an accessible object (IAccessible) for screen readers: the pop-up, with
// the snippet lines and the two links as its simple children, numbered as the menu numbers its
// entries (the lines from 1, then the links). It reads the menu's state at each call and
// changes nothing but through the window: a default action is posted to the window, which then
// does what a left click does, once the client's call has returned.
//
// Clients may hold it longer than the window lives: the view calls Disconnect() as the window
// goes, and from then on every call fails with CO_E_OBJNOTCONNECTED without touching the menu.
// Calls come on the window's thread (the apartment's); one from any other thread fails with
// RPC_E_WRONG_THREAD. Each object counts one use of its module for its whole life.
class MenuAccessible final
    : public ComObject<IAccessible, IID_IUnknown, IID_IDispatch, IID_IAccessible> {
public:
    // A new object with one reference, the caller's; null when there is no memory for it.
    static UniqueCom<MenuAccessible> Create(SnippetMenu& menu, HWND window, PixelScale scale,
                                            ModuleUse module) noexcept;

    void Disconnect() noexcept { menu_ = nullptr; }

    // Whether a choice message for `entry` answers the default action that a client last asked
    // of this object; the request is answered once.
    bool TakeRequest(WPARAM entry) noexcept;

    // IDispatch: clients call IAccessible's methods directly; none is offered by name.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override;
    STDMETHODIMP get_accChildCount(long* count) override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    STDMETHODIMP get_accFocus(VARIANT* focus) override;
    STDMETHODIMP get_accSelection(VARIANT* selection) override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override;
    STDMETHODIMP accSelect(long flags, VARIANT child) override;
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                             VARIANT child) override;
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override;
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) override;
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    MenuAccessible(SnippetMenu& menu, HWND window, PixelScale scale, ModuleUse module) noexcept;
    ~MenuAccessible() override;

    // Runs `answer` with the menu and the entry that `child` names (0 for the pop-up itself),
    // on the window's thread while the window lives; E_INVALIDARG for a child it does not have.
    template <typename Answer> HRESULT ForChild(const VARIANT& child, Answer&& answer) noexcept;
    // The same without a child.
    template <typename Answer> HRESULT ForMenu(Answer&& answer) noexcept;

    SnippetMenu* menu_;
    HWND window_;
    PixelScale scale_; // the window's
    ModuleUse module_;
    DWORD thread_;
    std::optional<int> requested_; // the entry of the default action posted and not yet taken
};

namespace resource_traits {

// The view's reference: released only after the object has been cut from the menu and from
// the clients of other apartments, whose stubs let go of it.
struct ConnectedAccessible {
    using Type = MenuAccessible*;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type accessible) noexcept {
        accessible->Disconnect();
        ::CoDisconnectObject(static_cast<IAccessible*>(accessible), 0);
        accessible->Release();
    }
};

} // namespace resource_traits

using UniqueMenuAccessible = UniqueAny<resource_traits::ConnectedAccessible>;

} // namespace quillery::win32
