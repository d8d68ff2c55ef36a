// e2e_probe: what the end-to-end tests and the run command need to see of the Windows side
// from outside the process under test. Windows are found by title or class among all
// top-level windows of the Wine desktop; positions are screen pixels, which are X's root
// window coordinates, so xdotool can move and click there as a user would.
//
//   e2e_probe window [--title T] [--class C] [--timeout S]   prints "left top right bottom"
//   e2e_probe gone [--title T] [--class C] [--timeout S]     waits until no such window is left
//   e2e_probe count [--title T] [--class C]                  prints how many such windows are shown
//   e2e_probe control TEXT [--title T] [--class C] [--timeout S]
//                                                    prints the centre "x y" of a child control
//   e2e_probe texts [--title T] [--class C] [--timeout S]    prints every child control's text
//   e2e_probe xwindow [--title T] [--class C] [--timeout S]  prints the X window that Wine made
//                                           for it (decimal), as `xdotool getwindowfocus` names it
//   e2e_probe running NAME                  prints how many processes run the program file NAME
//   e2e_probe pointer X Y                   puts the pointer at X Y with SetCursorPos, so that
//                                           Wine's own record of its place is that point too
//   e2e_probe unload PROGID DLLNAME         checks DllCanUnloadNow against live objects and locks,
//                                           then a new object and its loadmenu after the unload
//
// Exit status: 0 done, 1 not found in time or a check failed, 2 usage error.

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Query {
    std::wstring title;
    std::wstring className;
    bool hasTitle = false;
    bool hasClass = false;
    DWORD timeoutMs = 20000;
};

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    // WM_GETTEXT reaches the window's own procedure in the other process; a hung window must
    // not hang the probe.
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                               SMTO_ABORTIFHUNG, 2000, &length)) {
        return std::wstring();
    }
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool Matches(const Query& query, HWND window) {
    return ::IsWindowVisible(window) && (!query.hasClass || ClassOf(window) == query.className) &&
           (!query.hasTitle || TextOf(window) == query.title);
}

// The visible top-level windows that match, in the system's order (topmost first).
struct Search {
    const Query* query;
    std::vector<HWND> found;
    bool all;
};

BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    if (Matches(*search->query, window)) {
        search->found.push_back(window);
    }
    return search->all || search->found.empty();
}

std::vector<HWND> FindAll(const Query& query, bool all) {
    Search search{&query, {}, all};
    ::EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Find(const Query& query) {
    const std::vector<HWND> found = FindAll(query, false);
    return found.empty() ? nullptr : found.front();
}

HWND WaitFor(const Query& query) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND window = Find(query)) {
            return window;
        }
        if (::GetTickCount() - start > query.timeoutMs) {
            return nullptr;
        }
        ::Sleep(50);
    }
}

BOOL CALLBACK CollectChild(HWND child, LPARAM parameter) {
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    ::EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Prints as UTF-8, with "\n" line ends whatever the console does.
void PrintLine(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          size, nullptr, nullptr);
    bytes += '\n';
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

int NotFound(const Query& query) {
    std::fwprintf(stderr, L"e2e_probe: no window (title \"%ls\", class \"%ls\") within %lu ms\n",
                  query.title.c_str(), query.className.c_str(),
                  static_cast<unsigned long>(query.timeoutMs));
    return 1;
}

int Window(const Query& query) {
    HWND window = WaitFor(query);
    if (window == nullptr) {
        return NotFound(query);
    }
    RECT rect{};
    ::GetWindowRect(window, &rect);
    PrintLine(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
              std::to_wstring(rect.right) + L" " + std::to_wstring(rect.bottom));
    return 0;
}

int Gone(const Query& query) {
    const DWORD start = ::GetTickCount();
    while (Find(query) != nullptr) {
        if (::GetTickCount() - start > query.timeoutMs) {
            std::fwprintf(stderr, L"e2e_probe: the window is still there\n");
            return 1;
        }
        ::Sleep(50);
    }
    return 0;
}

int Count(const Query& query) {
    PrintLine(std::to_wstring(FindAll(query, true).size()));
    return 0;
}

int Control(const Query& query, const std::wstring& text) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND window = Find(query)) {
            for (HWND child : Children(window)) {
                if (::IsWindowVisible(child) && TextOf(child) == text) {
                    RECT rect{};
                    ::GetWindowRect(child, &rect);
                    PrintLine(std::to_wstring((rect.left + rect.right) / 2) + L" " +
                              std::to_wstring((rect.top + rect.bottom) / 2));
                    return 0;
                }
            }
        }
        if (::GetTickCount() - start > query.timeoutMs) {
            return NotFound(query);
        }
        ::Sleep(50);
    }
}

int Texts(const Query& query) {
    HWND window = WaitFor(query);
    if (window == nullptr) {
        return NotFound(query);
    }
    for (HWND child : Children(window)) {
        PrintLine(TextOf(child));
    }
    return 0;
}

// Wine's X11 driver names a top-level window's X window in the window's property
// __wine_x11_whole_window, which the server keeps, so another process can read it.
int XWindow(const Query& query) {
    HWND window = WaitFor(query);
    if (window == nullptr) {
        return NotFound(query);
    }
    const auto xWindow =
        reinterpret_cast<std::uintptr_t>(::GetPropW(window, L"__wine_x11_whole_window"));
    if (xWindow == 0) {
        std::fwprintf(stderr, L"e2e_probe: the window has no X window of its own\n");
        return 1;
    }
    PrintLine(std::to_wstring(xWindow));
    return 0;
}

// Calls loadmenu late-bound, by name, as a page's script does; its text, or "(failed)".
std::wstring CallLoadmenu(IDispatch& object) {
    OLECHAR name[] = L"loadmenu";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    if (FAILED(object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        return L"(failed)";
    }
    DISPPARAMS none{};
    VARIANT result;
    ::VariantInit(&result);
    if (FAILED(object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result,
                             nullptr, nullptr)) ||
        result.vt != VT_BSTR) {
        ::VariantClear(&result);
        return L"(failed)";
    }
    std::wstring text(result.bstrVal, ::SysStringLen(result.bstrVal));
    ::VariantClear(&result);
    return text;
}

// A compiled client of the registered server: DllCanUnloadNow must refuse while an object, a
// class factory or a server lock is alive, and allow once all are gone; then the system may
// really unload the DLL.
int Unload(const std::wstring& progId, const std::wstring& dllName) {
    int failures = 0;
    const auto check = [&failures](bool ok, const wchar_t* what) {
        std::fwprintf(stdout, L"%ls %ls\n", ok ? L"ok  " : L"FAIL", what);
        std::fflush(stdout);
        failures += ok ? 0 : 1;
    };
    if (FAILED(::CoInitialize(nullptr))) {
        check(false, L"CoInitialize");
        return 1;
    }
    CLSID clsid{};
    check(SUCCEEDED(::CLSIDFromProgID(progId.c_str(), &clsid)), L"the ProgID names a class");
    IDispatch* object = nullptr;
    check(SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                       reinterpret_cast<void**>(&object))),
          L"an object is created");
    const HMODULE dll = ::GetModuleHandleW(dllName.c_str());
    check(dll != nullptr, L"the DLL is loaded in this process");
    using CanUnload = HRESULT(WINAPI*)();
    const auto canUnload = dll == nullptr ? nullptr
                                          : reinterpret_cast<CanUnload>(reinterpret_cast<void*>(
                                                ::GetProcAddress(dll, "DllCanUnloadNow")));
    if (object == nullptr || canUnload == nullptr) {
        ::CoUninitialize();
        return 1;
    }
    check(canUnload() == S_FALSE, L"refused while an object is alive");

    IClassFactory* factory = nullptr;
    check(SUCCEEDED(::CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                       reinterpret_cast<void**>(&factory))),
          L"the class factory is handed out");
    if (factory != nullptr) {
        factory->LockServer(TRUE);
    }
    object->Release();
    check(canUnload() == S_FALSE, L"refused while the server is locked");
    if (factory != nullptr) {
        factory->LockServer(FALSE);
        check(canUnload() == S_FALSE, L"refused while a class factory is alive");
        factory->Release();
    }
    check(canUnload() == S_OK, L"allowed after the last release");
    ::CoFreeUnusedLibrariesEx(0, 0);
    check(::GetModuleHandleW(dllName.c_str()) == nullptr, L"the system unloads the DLL");

    // The next object loads the DLL afresh, and a request runs in it: its windows' classes are
    // registered again by the new copy.
    object = nullptr;
    check(SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                       reinterpret_cast<void**>(&object))),
          L"a new object is created after the unload");
    check(::GetModuleHandleW(dllName.c_str()) != nullptr, L"the DLL is loaded again");
    if (object != nullptr) {
        std::fwprintf(stdout, L"result=[%ls]\n", CallLoadmenu(*object).c_str());
        std::fflush(stdout);
        object->Release();
    }
    ::CoUninitialize();
    return failures == 0 ? 0 : 1;
}

// How many processes run a program file of that name (a process that has been started is
// listed at once, before it has made any window).
int Running(const std::wstring& name) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 1;
    }
    int count = 0;
    PROCESSENTRY32W process{};
    process.dwSize = sizeof(process);
    for (BOOL more = ::Process32FirstW(snapshot, &process); more;
         more = ::Process32NextW(snapshot, &process)) {
        count += ::lstrcmpiW(process.szExeFile, name.c_str()) == 0 ? 1 : 0;
    }
    ::CloseHandle(snapshot);
    std::fwprintf(stdout, L"%d\n", count);
    std::fflush(stdout);
    return 0;
}

int Usage() {
    std::fwprintf(stderr, L"usage: e2e_probe window|gone|count|texts|xwindow [--title T] "
                          L"[--class C] "
                          L"[--timeout S]\n"
                          L"       e2e_probe control TEXT [--title T] [--class C] [--timeout S]\n"
                          L"       e2e_probe running NAME\n"
                          L"       e2e_probe pointer X Y\n"
                          L"       e2e_probe unload PROGID DLLNAME\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    if (args.empty()) {
        return Usage();
    }
    const std::wstring command = args[0];
    if (command == L"unload") {
        return args.size() == 3 ? Unload(args[1], args[2]) : Usage();
    }
    if (command == L"running") {
        return args.size() == 2 ? Running(args[1]) : Usage();
    }
    if (command == L"pointer") {
        if (args.size() != 3) {
            return Usage();
        }
        return ::SetCursorPos(std::wcstol(args[1].c_str(), nullptr, 10),
                              std::wcstol(args[2].c_str(), nullptr, 10))
                   ? 0
                   : 1;
    }
    Query query;
    std::vector<std::wstring> positional;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == L"--title" && hasValue) {
            query.title = args[++i];
            query.hasTitle = true;
        } else if (args[i] == L"--class" && hasValue) {
            query.className = args[++i];
            query.hasClass = true;
        } else if (args[i] == L"--timeout" && hasValue) {
            query.timeoutMs =
                static_cast<DWORD>(std::wcstoul(args[++i].c_str(), nullptr, 10)) * 1000;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (!query.hasTitle && !query.hasClass) {
        return Usage();
    }
    if (command == L"window" && positional.empty()) {
        return Window(query);
    }
    if (command == L"gone" && positional.empty()) {
        return Gone(query);
    }
    if (command == L"count" && positional.empty()) {
        return Count(query);
    }
    if (command == L"texts" && positional.empty()) {
        return Texts(query);
    }
    if (command == L"xwindow" && positional.empty()) {
        return XWindow(query);
    }
    if (command == L"control" && positional.size() == 1) {
        return Control(query, positional[0]);
    }
    return Usage();
}
