// A program to type into, for the resident program's tests: one window, "Quillery typing
// target: one line" or "...: several lines" after the box that has the focus first, with a one-line
// edit box (control 1) and a multi-line one (control 2); the command line's "single" or "multi"
// says which has the focus first. With "drawn", a box of its own (control 3) has the focus
// instead, which draws its caret itself, as some editors do, and tells where it is only through
// its accessible caret object (OBJID_CARET). Like most programs, it puts the focus back on the
// control that had it when its window is activated again. Asked with the registered message
// "Quillery.Test.Caret", it answers where its caret is on the screen: the left edge in the low
// word, the bottom edge (the first row below it) in the high word. With "form", the window
// handles Tab as a dialog does (IsDialogMessage), the one-line box focused first. With
// "console <file>", it has no window but a console, titled "Quillery typing target: console",
// and appends each line read from it to <file> in UTF-16. With "moving", the one-line box focused
// first, it moves its focus to the multi-line box once a snippet menu is up, as a page replaced
// by another does, and then titles itself "Quillery typing target: focus moved".

#include <windows.h>

#include <oleacc.h>

namespace {

constexpr wchar_t kClass[] = L"QuilleryTypingTarget";
constexpr wchar_t kDrawnBoxClass[] = L"QuilleryDrawnCaretBox";
constexpr RECT kDrawnCaret{8, 4, 10, 20}; // in the drawn box's client area
HWND g_lastFocus = nullptr;
HWND g_drawnBox = nullptr;

// The drawn box's caret as accessibility tools see it: its place, and nothing else.
class DrawnCaret final : public IAccessible {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // One object for the process's life.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT) override {
        RECT caret = kDrawnCaret;
        MapWindowPoints(g_drawnBox, nullptr, reinterpret_cast<POINT*>(&caret), 2);
        *left = caret.left;
        *top = caret.top;
        *width = caret.right - caret.left;
        *height = caret.bottom - caret.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT, VARIANT* role) override {
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_CARET;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR*, VARIANT, long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }
};
DrawnCaret g_drawnCaret;

// The drawn box: the characters typed into it become its text; its caret is a bar it paints.
LRESULT CALLBACK DrawnBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == OBJID_CARET) {
            return LresultFromObject(IID_IAccessible, wParam, &g_drawnCaret);
        }
        break;
    case WM_CHAR: {
        wchar_t text[512] = L"";
        const int length = GetWindowTextW(box, text, 510);
        text[length] = static_cast<wchar_t>(wParam);
        text[length + 1] = L'\0';
        SetWindowTextW(box, text);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(box, &paint);
        FillRect(dc, &kDrawnCaret, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(box, &paint);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(box, message, wParam, lParam);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT askCaret = RegisterWindowMessageW(L"Quillery.Test.Caret");
    if (message == askCaret && g_drawnBox != nullptr) {
        RECT caret = kDrawnCaret;
        MapWindowPoints(g_drawnBox, nullptr, reinterpret_cast<POINT*>(&caret), 2);
        return MAKELRESULT(caret.left, caret.bottom);
    }
    if (message == askCaret) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(GetCurrentThreadId(), &info) || info.hwndCaret == nullptr) {
            return -1;
        }
        RECT caret = info.rcCaret;
        MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&caret), 2);
        return MAKELRESULT(caret.left, caret.bottom);
    }
    switch (message) {
    case WM_TIMER:
        // Once told that it lost the keyboard (the focus it had is kept), to the menu.
        if (GetActiveWindow() != window &&
            IsWindowVisible(FindWindowW(L"QuillerySnippetMenu", nullptr))) {
            KillTimer(window, wParam);
            g_lastFocus = GetDlgItem(window, 2);
            SetWindowTextW(window, L"Quillery typing target: focus moved");
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            g_lastFocus = GetFocus();
        } else if (g_lastFocus != nullptr) {
            SetFocus(g_lastFocus);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Reads lines from a console of its own, as a command prompt does, and keeps each in `file`.
int EchoConsoleInto(const wchar_t* file) {
    // The file first: once the console is there, so is the file. Wine hands its parent's
    // console (the test's, with no window) to a windowed program too: it is left for one of its
    // own.
    HANDLE kept = CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    FreeConsole();
    if (kept == INVALID_HANDLE_VALUE || !AllocConsole() ||
        !SetConsoleTitleW(L"Quillery typing target: console")) {
        return 1;
    }
    wchar_t line[512];
    DWORD read = 0;
    while (ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), line, 512, &read, nullptr) && read > 0) {
        DWORD written = 0;
        WriteFile(kept, line, read * sizeof(wchar_t), &written, nullptr);
    }
    CloseHandle(kept);
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    if (wcsncmp(commandLine, L"console ", 8) == 0) {
        return EchoConsoleInto(commandLine + 8);
    }
    // The accessible caret reaches another process through COM.
    CoInitialize(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TargetProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    windowClass.lpfnWndProc = &DrawnBoxProc;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kDrawnBoxClass;
    RegisterClassW(&windowClass);
    const bool form = lstrcmpW(commandLine, L"form") == 0;
    const bool moving = lstrcmpW(commandLine, L"moving") == 0;
    const bool singleFirst = form || moving || lstrcmpW(commandLine, L"single") == 0;
    const bool drawn = lstrcmpW(commandLine, L"drawn") == 0;
    HWND window = CreateWindowExW(0, kClass,
                                  drawn         ? L"Quillery typing target: drawn caret"
                                  : form        ? L"Quillery typing target: form"
                                  : moving      ? L"Quillery typing target: moving focus"
                                  : singleFirst ? L"Quillery typing target: one line"
                                                : L"Quillery typing target: several lines",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 300, 250, 420, 290,
                                  nullptr, nullptr, instance, nullptr);
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP;
    HWND single = CreateWindowExW(0, L"EDIT", L"", child | ES_AUTOHSCROLL, 20, 20, 360, 24, window,
                                  reinterpret_cast<HMENU>(1), instance, nullptr);
    HWND multi = CreateWindowExW(
        0, L"EDIT", L"", child | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL, 20, 60,
        360, 140, window, reinterpret_cast<HMENU>(2), instance, nullptr);
    if (drawn) {
        g_drawnBox = CreateWindowExW(0, kDrawnBoxClass, L"", child, 20, 205, 360, 24, window,
                                     reinterpret_cast<HMENU>(3), instance, nullptr);
    }
    if (moving) {
        SetTimer(window, 1, 10, nullptr);
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    g_lastFocus = drawn ? g_drawnBox : singleFirst ? single : multi;
    SetFocus(g_lastFocus);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (form && IsDialogMessageW(window, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
