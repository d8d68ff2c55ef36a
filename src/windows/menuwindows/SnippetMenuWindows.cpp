#include "menuwindows/SnippetMenuWindows.h"

#include "base/Attempt.h"
#include "base/ScopeExit.h"
#include "winapi/UniqueResource.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

namespace quillery::win32 {
namespace {

// The thread that is asking a menu of its own to close right now (AskToClose): that call
// reaches the window procedure directly, where InSendMessageEx cannot tell it from a post.
std::atomic<DWORD> askingOnThread{0};

// The file name of a path, without its folder.
const wchar_t* FileNameOf(const wchar_t* path) noexcept {
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at != L'\0'; ++at) {
        if (*at == L'\\' || *at == L'/') {
            name = at + 1;
        }
    }
    return name;
}

bool SameName(const wchar_t* path, const wchar_t* other) noexcept {
    return *other != L'\0' && ::lstrcmpiW(FileNameOf(path), FileNameOf(other)) == 0;
}

// The modules that make the menu: the DLL (in a browser, a script client or the host) and
// the resident program, which links the menu itself; the host's image names it too.
bool IsQuilleryModule(const wchar_t* path) noexcept {
    return SameName(path, L"Pennock.dll") || SameName(path, L"Quillery.exe") ||
           SameName(path, L"quillery-host.exe");
}

std::wstring PathOfOwnModule(HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length < MAX_PATH ? length : 0);
}

// The modules of another process, each with its file name; empty where the system does not
// list them (a process of another word size seen from a 32-bit one, or one kept from us).
std::vector<std::pair<HMODULE, std::wstring>> ModulesOf(DWORD process) {
    DWORD kinds = TH32CS_SNAPMODULE;
    if (sizeof(void*) == 8) {
        kinds |= TH32CS_SNAPMODULE32; // a 32-bit process's modules, seen from a 64-bit one
    }
    HANDLE snapshot = INVALID_HANDLE_VALUE;
    // The list is read while the process runs: a module loaded meanwhile fails one try.
    for (int tries = 0; tries < 3 && snapshot == INVALID_HANDLE_VALUE; ++tries) {
        snapshot = ::CreateToolhelp32Snapshot(kinds, process);
        if (snapshot == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_BAD_LENGTH) {
            break;
        }
    }
    std::vector<std::pair<HMODULE, std::wstring>> modules;
    if (snapshot == INVALID_HANDLE_VALUE) {
        return modules;
    }
    const UniqueHandle owned(snapshot);
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Module32FirstW(snapshot, &entry); more;
         more = ::Module32NextW(snapshot, &entry)) {
        modules.emplace_back(entry.hModule, entry.szModule);
    }
    return modules;
}

// The process's image, where ModulesOf cannot list its modules: QueryFullProcessImageNameW,
// which needs the least access and reads a process of any word size (Windows Vista and later,
// looked up as the system has it).
std::wstring ImageOf(DWORD process) {
    using Query = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    static const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW")));
    constexpr DWORD kQueryLimitedInformation = 0x1000; // PROCESS_QUERY_LIMITED_INFORMATION
    const UniqueHandle handle(
        query != nullptr ? ::OpenProcess(kQueryLimitedInformation, FALSE, process) : nullptr);
    wchar_t path[MAX_PATH] = L"";
    DWORD length = MAX_PATH;
    return handle && query(handle.get(), 0, path, &length) ? std::wstring(path, length)
                                                           : std::wstring();
}

} // namespace

UINT CloseWithoutChoiceMessage() noexcept {
    static const UINT message = ::RegisterWindowMessageW(L"Quillery.CloseWithoutChoice");
    return message;
}

UINT MenuGoneMessage() noexcept {
    static const UINT message = ::RegisterWindowMessageW(L"Quillery.SnippetMenuGone");
    return message;
}

std::vector<HWND> FindSnippetMenus(DWORD thread) {
    std::vector<HWND> menus;
    HWND menu = nullptr;
    while ((menu = ::FindWindowExW(nullptr, menu, kSnippetMenuClass, nullptr)) != nullptr) {
        if (thread == 0 || ::GetWindowThreadProcessId(menu, nullptr) == thread) {
            menus.push_back(menu);
        }
    }
    return menus;
}

// The module that registered the window's class decides, rather than the process: a program
// that has Pennock.dll loaded may still make a window of that class of its own, and a test
// process does. Within this process the module's file is asked directly; in another, it is
// found among that process's modules; where those cannot be listed, the process's image must
// be Quillery.exe or quillery-host.exe.
bool MadeByQuillery(HWND menu, HINSTANCE asking) noexcept {
    // Out of memory for a name: not ours, so not waited for.
    return AttemptOr(false, [&] {
        DWORD process = 0;
        if (::GetWindowThreadProcessId(menu, &process) == 0) {
            return false;
        }
        const auto module = reinterpret_cast<HMODULE>(::GetClassLongPtrW(menu, GCLP_HMODULE));
        std::wstring path;
        if (process == ::GetCurrentProcessId()) {
            path = PathOfOwnModule(module);
        } else {
            const auto modules = ModulesOf(process);
            for (const auto& [handle, name] : modules) {
                if (handle == module) {
                    path = name;
                }
            }
            if (modules.empty()) {
                path = ImageOf(process);
            }
        }
        return IsQuilleryModule(path.c_str()) ||
               SameName(path.c_str(), PathOfOwnModule(asking).c_str());
    });
}

bool RunsQuillery(DWORD process) noexcept {
    if (process == ::GetCurrentProcessId()) {
        return true;
    }
    return AttemptOr(false, [&] {
        const auto modules = ModulesOf(process);
        if (modules.empty()) {
            return IsQuilleryModule(ImageOf(process).c_str());
        }
        return std::any_of(modules.begin(), modules.end(), [](const auto& module) {
            return IsQuilleryModule(module.second.c_str());
        });
    });
}

std::vector<HWND> AskToClose(const std::vector<HWND>& menus, DWORD limitMs) {
    std::vector<HWND> asked;
    const DWORD start = ::GetTickCount();
    const DWORD self = ::GetCurrentThreadId();
    for (HWND menu : menus) {
        const DWORD elapsed = ::GetTickCount() - start; // right across the count's wrap
        if (elapsed >= limitMs) {
            break;
        }
        const bool ownThread = ::GetWindowThreadProcessId(menu, nullptr) == self;
        if (ownThread) {
            askingOnThread = self;
        }
        const ScopeExit asking([ownThread] {
            if (ownThread) {
                askingOnThread = 0;
            }
        });
        // Without SMTO_BLOCK, so that this thread answers what other threads send it meanwhile
        // and no two requests wait for each other.
        DWORD_PTR took = 0;
        if (::SendMessageTimeoutW(menu, CloseWithoutChoiceMessage(), ::GetCurrentProcessId(), self,
                                  SMTO_NORMAL | SMTO_ABORTIFHUNG, limitMs - elapsed, &took) &&
            took == 1) {
            asked.push_back(menu);
        }
    }
    return asked;
}

bool TakesCloseRequest(WPARAM askingProcess) noexcept {
    if (askingOnThread == ::GetCurrentThreadId()) {
        return true;
    }
    const DWORD how = ::InSendMessageEx(nullptr);
    return (how & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK)) == ISMEX_SEND &&
           RunsQuillery(static_cast<DWORD>(askingProcess));
}

bool WaitUntilGone(const std::vector<HWND>& menus, DWORD limitMs) noexcept {
    // Out of memory for the list: not waited for, and the menu opens beside the others.
    return AttemptOr(false, [&] {
        // Each menu with its thread: a thread that ends takes its windows with it, without the
        // windows' own goodbye.
        std::vector<std::pair<HWND, UniqueHandle>> left;
        for (HWND menu : menus) {
            const DWORD thread = ::GetWindowThreadProcessId(menu, nullptr);
            if (thread != 0) {
                left.emplace_back(menu, UniqueHandle(::OpenThread(SYNCHRONIZE, FALSE, thread)));
            }
        }
        const DWORD start = ::GetTickCount();
        for (;;) {
            // The notices that woke the thread are taken from its queue, and what was sent to
            // it is answered.
            MSG notice;
            while (::PeekMessageW(&notice, reinterpret_cast<HWND>(-1), MenuGoneMessage(),
                                  MenuGoneMessage(), PM_REMOVE)) {
            }
            left.erase(std::remove_if(left.begin(), left.end(),
                                      [](const auto& each) { return !::IsWindow(each.first); }),
                       left.end());
            const DWORD elapsed = ::GetTickCount() - start;
            if (left.empty() || elapsed >= limitMs) {
                return left.empty();
            }
            std::vector<HANDLE> threads;
            for (const auto& [menu, thread] : left) {
                if (thread && threads.size() < MAXIMUM_WAIT_OBJECTS - 1) {
                    threads.push_back(thread.get());
                }
            }
            // Wakes for messages that arrive from now on, not for those already queued, so a
            // message left for the thread's own loop does not make this spin.
            const DWORD woken = ::MsgWaitForMultipleObjectsEx(static_cast<DWORD>(threads.size()),
                                                              threads.data(), limitMs - elapsed,
                                                              QS_POSTMESSAGE | QS_SENDMESSAGE, 0);
            if (woken == WAIT_FAILED) {
                return false;
            }
            if (woken < WAIT_OBJECT_0 + threads.size()) {
                const HANDLE ended = threads[woken - WAIT_OBJECT_0];
                left.erase(std::remove_if(
                               left.begin(), left.end(),
                               [ended](const auto& each) { return each.second.get() == ended; }),
                           left.end());
            }
        }
    });
}

} // namespace quillery::win32
