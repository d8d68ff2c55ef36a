#include "app/RunningInstance.h"

#include "app/Resident.h"
#include "winapi/UniqueResource.h"

#include <sddl.h>

#include <vector>

namespace quillery::app {
namespace {

// The running instance's name when this user's identifier cannot be read.
constexpr wchar_t kSharedInstanceName[] = L"Local\\Quillery.Resident";
// How often WaitForRunningInstance asks again.
constexpr DWORD kAskAgainMs = 50;

// The file name of the program `process` runs ("Quillery.exe"); empty when it cannot be read.
std::wstring ProgramFileName(HANDLE process) {
    std::vector<wchar_t> path(32768); // the longest path the system has
    DWORD size = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) {
        return {};
    }
    const std::wstring full(path.data(), size);
    return full.substr(full.find_last_of(L"\\/") + 1);
}

// Whether `process` is another start of this program by this user.
bool IsThisProgramOfThisUser(DWORD process) {
    const win32::UniqueHandle handle(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!handle) {
        return false;
    }
    const std::wstring ours = ProgramFileName(GetCurrentProcess());
    const std::wstring theirs = ProgramFileName(handle.get());
    const std::wstring user = ProcessUserSid(GetCurrentProcess());
    return !ours.empty() &&
           CompareStringOrdinal(ours.c_str(), -1, theirs.c_str(), -1, TRUE) == CSTR_EQUAL &&
           !user.empty() && ProcessUserSid(handle.get()) == user;
}

} // namespace

std::wstring ProcessUserSid(HANDLE process) {
    win32::UniqueHandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) {
        return {};
    }
    std::vector<BYTE> buffer(size);
    LPWSTR text = nullptr;
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return {};
    }
    std::wstring sid(text);
    LocalFree(text);
    return sid;
}

std::wstring InstanceName() {
    const std::wstring user = ProcessUserSid(GetCurrentProcess());
    return user.empty() ? kSharedInstanceName : kSharedInstanceName + (L"." + user);
}

HWND FindRunningInstance() {
    const DWORD self = GetCurrentProcessId();
    for (HWND window = FindWindowExW(nullptr, nullptr, kResidentClass, nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, kResidentClass, nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != self && IsThisProgramOfThisUser(process)) {
            return window;
        }
    }
    return nullptr;
}

HWND WaitForRunningInstance(DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        if (HWND running = FindRunningInstance()) {
            return running;
        }
        if (GetTickCount64() >= end) {
            return nullptr;
        }
        Sleep(kAskAgainMs);
    }
}

} // namespace quillery::app
