#include "views/MenuAccessible.h"

#include "menu/MenuEntryDescription.h"
#include "winapi/Win32Boundary.h"

#include <new>
#include <string>

namespace quillery::win32 {
namespace {

constexpr const wchar_t* kMenuName = L"Quillery";
constexpr const wchar_t* kLineAction = L"Insert"; // the line's snippet goes into the page
constexpr const wchar_t* kLinkAction = L"Open";   // the link's site opens in the browser

// A BSTR copy of `text` for a client: S_OK with it, S_FALSE with none when `text` is empty.
HRESULT GiveText(const std::wstring& text, BSTR* out) {
    if (text.empty()) {
        return S_FALSE;
    }
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

void GiveNumber(long value, VARIANT* out) {
    out->vt = VT_I4;
    out->lVal = value;
}

} // namespace

UINT ChooseEntryMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Quillery.ChooseEntry");
    return message;
}

bool MenuTakesClicks(const SnippetMenu& menu, HWND window) {
    return menu.PointerWatchOn() && ::IsWindowEnabled(window);
}

UniqueCom<MenuAccessible> MenuAccessible::Create(SnippetMenu& menu, HWND window, PixelScale scale,
                                                 ModuleUse module) noexcept {
    return UniqueCom<MenuAccessible>(new (std::nothrow)
                                         MenuAccessible(menu, window, scale, module));
}

MenuAccessible::MenuAccessible(SnippetMenu& menu, HWND window, PixelScale scale,
                               ModuleUse module) noexcept
    : menu_(&menu), window_(window), scale_(scale), module_(module),
      thread_(::GetCurrentThreadId()) {
    module_.Acquire();
}

MenuAccessible::~MenuAccessible() {
    module_.Release();
}

HRESULT MenuAccessible::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

template <typename Answer> HRESULT MenuAccessible::ForMenu(Answer&& answer) noexcept {
    if (::GetCurrentThreadId() != thread_) {
        return RPC_E_WRONG_THREAD;
    }
    if (menu_ == nullptr) {
        return CO_E_OBJNOTCONNECTED;
    }
    // A failure's system error is not passed on: a client is told E_FAIL.
    return ComMethod([&] { return answer(*menu_); },
                     {E_OUTOFMEMORY, /*systemErrors=*/false, E_FAIL});
}

template <typename Answer>
HRESULT MenuAccessible::ForChild(const VARIANT& child, Answer&& answer) noexcept {
    return ForMenu([&](SnippetMenu& menu) -> HRESULT {
        if (child.vt != VT_I4 || child.lVal < CHILDID_SELF || child.lVal > menu.EntryCount()) {
            return E_INVALIDARG;
        }
        return answer(menu, static_cast<int>(child.lVal));
    });
}

HRESULT MenuAccessible::get_accParent(IDispatch** parent) {
    if (parent == nullptr) {
        return E_POINTER;
    }
    *parent = nullptr;
    return ForMenu([&](SnippetMenu&) {
        // The window's own standard object: a frame with the pop-up as its client.
        return ::AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW),
                                            IID_IDispatch, reinterpret_cast<void**>(parent));
    });
}

HRESULT MenuAccessible::get_accChildCount(long* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return ForMenu([&](SnippetMenu& menu) {
        *count = menu.EntryCount();
        return S_OK;
    });
}

HRESULT MenuAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    // The entries are simple elements, answered by this object with their numbers.
    return ForChild(child, [](SnippetMenu&, int entry) {
        return entry == CHILDID_SELF ? E_INVALIDARG : S_FALSE;
    });
}

HRESULT MenuAccessible::get_accName(VARIANT child, BSTR* name) {
    if (name == nullptr) {
        return E_POINTER;
    }
    *name = nullptr;
    return ForChild(child, [&](SnippetMenu& menu, int entry) {
        if (entry == CHILDID_SELF) {
            return GiveText(kMenuName, name);
        }
        return GiveText(DescribeEntry(menu, entry)->name, name);
    });
}

HRESULT MenuAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = nullptr;
    return ForChild(child, [](SnippetMenu&, int) { return DISP_E_MEMBERNOTFOUND; });
}

HRESULT MenuAccessible::get_accDescription(VARIANT child, BSTR* description) {
    if (description == nullptr) {
        return E_POINTER;
    }
    *description = nullptr;
    return ForChild(child, [&](SnippetMenu& menu, int entry) {
        if (entry == CHILDID_SELF) {
            return S_FALSE;
        }
        return GiveText(DescribeEntry(menu, entry)->description, description);
    });
}

HRESULT MenuAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (role == nullptr) {
        return E_POINTER;
    }
    ::VariantInit(role);
    return ForChild(child, [&](SnippetMenu&, int entry) {
        GiveNumber(entry == CHILDID_SELF ? ROLE_SYSTEM_MENUPOPUP : ROLE_SYSTEM_MENUITEM, role);
        return S_OK;
    });
}

HRESULT MenuAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (state == nullptr) {
        return E_POINTER;
    }
    ::VariantInit(state);
    return ForChild(child, [&](SnippetMenu& menu, int entry) {
        long flags = STATE_SYSTEM_FOCUSABLE;
        if (!::IsWindowEnabled(window_)) {
            flags |= STATE_SYSTEM_UNAVAILABLE;
        }
        if (entry == CHILDID_SELF) {
            if (menu.HighlightedEntry() == 0 && ::GetFocus() == window_) {
                flags |= STATE_SYSTEM_FOCUSED;
            }
        } else {
            const auto described = DescribeEntry(menu, entry);
            if (described->highlighted) {
                flags |= STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_FOCUSED;
            }
            if (described->isLink) {
                flags |= STATE_SYSTEM_LINKED;
            }
        }
        GiveNumber(flags, state);
        return S_OK;
    });
}

HRESULT MenuAccessible::get_accHelp(VARIANT child, BSTR* help) {
    if (help == nullptr) {
        return E_POINTER;
    }
    *help = nullptr;
    return ForChild(child, [](SnippetMenu&, int) { return DISP_E_MEMBERNOTFOUND; });
}

HRESULT MenuAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    if (file == nullptr || topic == nullptr) {
        return E_POINTER;
    }
    *file = nullptr;
    *topic = 0;
    return ForChild(child, [](SnippetMenu&, int) { return DISP_E_MEMBERNOTFOUND; });
}

// An entry's access key is reported as the key alone, as menu items report theirs: inside an
// open menu the key is pressed without Alt.
HRESULT MenuAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (shortcut == nullptr) {
        return E_POINTER;
    }
    *shortcut = nullptr;
    return ForChild(child, [&](SnippetMenu& menu, int entry) {
        if (entry == CHILDID_SELF) {
            return S_FALSE;
        }
        const auto key = DescribeEntry(menu, entry)->accessKey;
        return key ? GiveText(std::wstring(1, *key), shortcut) : S_FALSE;
    });
}

HRESULT MenuAccessible::get_accFocus(VARIANT* focus) {
    if (focus == nullptr) {
        return E_POINTER;
    }
    ::VariantInit(focus);
    return ForMenu([&](SnippetMenu& menu) {
        if (const int entry = menu.HighlightedEntry(); entry != 0) {
            GiveNumber(entry, focus);
        } else if (::GetFocus() == window_) {
            GiveNumber(CHILDID_SELF, focus);
        } else {
            return S_FALSE;
        }
        return S_OK;
    });
}

HRESULT MenuAccessible::get_accSelection(VARIANT* selection) {
    if (selection == nullptr) {
        return E_POINTER;
    }
    ::VariantInit(selection);
    return ForMenu([](SnippetMenu&) { return DISP_E_MEMBERNOTFOUND; });
}

HRESULT MenuAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (action == nullptr) {
        return E_POINTER;
    }
    *action = nullptr;
    return ForChild(child, [&](SnippetMenu& menu, int entry) {
        if (entry == CHILDID_SELF) {
            return DISP_E_MEMBERNOTFOUND;
        }
        return GiveText(DescribeEntry(menu, entry)->isLink ? kLinkAction : kLineAction, action);
    });
}

// Selecting or focusing an entry would move the highlight: only the user's pointer and keys do.
HRESULT MenuAccessible::accSelect(long, VARIANT child) {
    return ForChild(child, [](SnippetMenu&, int) { return DISP_E_MEMBERNOTFOUND; });
}

HRESULT MenuAccessible::accLocation(long* left, long* top, long* width, long* height,
                                    VARIANT child) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
        return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    return ForChild(child, [&](SnippetMenu& menu, int entry) -> HRESULT {
        RECT place{};
        if (entry == CHILDID_SELF) {
            if (!::GetWindowRect(window_, &place)) {
                return HRESULT_FROM_WIN32(::GetLastError());
            }
        } else {
            // Rounded as the window rounds what it paints.
            const PixelRect box = scale_.Box(DescribeEntry(menu, entry)->box);
            place = RECT{box.left, box.top, box.right, box.bottom};
            ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&place), 2);
        }
        *left = place.left;
        *top = place.top;
        *width = place.right - place.left;
        *height = place.bottom - place.top;
        return S_OK;
    });
}

// The entries lie one below the other: down and next lead to the following entry, up and
// previous to the one before. The pop-up's neighbours are its parent's to tell.
HRESULT MenuAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (end == nullptr) {
        return E_POINTER;
    }
    ::VariantInit(end);
    return ForChild(start, [&](SnippetMenu& menu, int entry) -> HRESULT {
        const int count = menu.EntryCount();
        int found = 0;
        if (entry == CHILDID_SELF) {
            if (direction == NAVDIR_FIRSTCHILD) {
                found = count > 0 ? 1 : 0;
            } else if (direction == NAVDIR_LASTCHILD) {
                found = count;
            }
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
            found = entry < count ? entry + 1 : 0;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
            found = entry - 1;
        } else if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            return E_INVALIDARG; // a simple element has no children
        }
        if (found == 0) {
            return S_FALSE;
        }
        GiveNumber(found, end);
        return S_OK;
    });
}

HRESULT MenuAccessible::accHitTest(long x, long y, VARIANT* child) {
    if (child == nullptr) {
        return E_POINTER;
    }
    ::VariantInit(child);
    return ForMenu([&](SnippetMenu& menu) -> HRESULT {
        RECT window{};
        const POINT screen{x, y};
        if (!::GetWindowRect(window_, &window) || !::PtInRect(&window, screen)) {
            return S_FALSE;
        }
        POINT client = screen;
        ::ScreenToClient(window_, &client);
        // As the window turns a pointer message's pixels into twips.
        GiveNumber(EntryAt(menu, scale_.TwipsX(client.x), scale_.TwipsY(client.y)), child);
        return S_OK;
    });
}

// Posted, not run here: a line's choice closes the window and ends the request, and a link's
// launch may show a message box. Run inside the client's call, either would close the window
// under its caller, or hold a screen reader in its call until the user has answered a box
// that the reader itself should read. The window does it once the call has returned.
HRESULT MenuAccessible::accDoDefaultAction(VARIANT child) {
    return ForChild(child, [&](SnippetMenu& menu, int entry) -> HRESULT {
        if (entry == CHILDID_SELF) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (!MenuTakesClicks(menu, window_)) {
            return E_FAIL;
        }
        requested_ = entry;
        if (!::PostMessageW(window_, ChooseEntryMessage(), static_cast<WPARAM>(entry), 0)) {
            requested_.reset();
            return HRESULT_FROM_WIN32(::GetLastError());
        }
        return S_OK;
    });
}

bool MenuAccessible::TakeRequest(WPARAM entry) noexcept {
    // A message for another entry leaves the request alone: its own message is still to come.
    if (!requested_ || static_cast<WPARAM>(*requested_) != entry) {
        return false;
    }
    requested_.reset();
    return true;
}

} // namespace quillery::win32
