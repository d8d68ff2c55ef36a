#include "Win32TestSupport.h"

#include "store/RecordCodec.h"

#include <algorithm>
#include <chrono>
#include <mutex> // std::lock_guard only
#include <stdexcept>
#include <thread> // std::this_thread only

namespace quillery::wintest {
namespace {

using win32::Win32SystemInfo;

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024] = L"";
    ::GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[64] = L"";
    ::GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

// The standard box keeps its body in a static control with this id.
constexpr int kBodyId = 0xFFFF;

struct Search {
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBoxes(HWND window, LPARAM context) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId() && ClassOf(window) == L"#32770" &&
        ::IsWindowVisible(window)) {
        reinterpret_cast<Search*>(context)->boxes.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectButtons(HWND child, LPARAM context) {
    if (ClassOf(child) == L"Button") {
        reinterpret_cast<std::vector<int>*>(context)->push_back(::GetDlgCtrlID(child));
    }
    return TRUE;
}

// The box shows one of the system's shared icons in a static control.
BOOL CALLBACK FindIcon(HWND child, LPARAM context) {
    if (ClassOf(child) == L"Static" &&
        (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON*>(context) =
            reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

std::wstring IconOf(HWND box) {
    HICON icon = nullptr;
    ::EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
    if (icon == nullptr) {
        return L"none";
    }
    const std::pair<LPCWSTR, const wchar_t*> known[] = {
        {IDI_HAND, L"stop"}, {IDI_EXCLAMATION, L"exclamation"}, {IDI_QUESTION, L"question"}};
    for (const auto& [id, name] : known) {
        if (::LoadIconW(nullptr, id) == icon) {
            return name;
        }
    }
    return L"other";
}

} // namespace

Thread::Thread(std::function<void()> body) : body_(std::move(body)) {
    handle_.reset(::CreateThread(nullptr, 0, &Thread::Run, this, 0, nullptr));
    if (!handle_) {
        throw std::runtime_error("cannot start a thread (error " +
                                 std::to_string(::GetLastError()) + ")");
    }
}

Thread::~Thread() {
    Join();
}

void Thread::Join() {
    if (handle_) {
        ::WaitForSingleObject(handle_.get(), INFINITE);
        handle_.reset();
    }
}

DWORD WINAPI Thread::Run(void* self) noexcept {
    static_cast<Thread*>(self)->body_();
    return 0;
}

MessageBoxWatcher::MessageBoxWatcher() : thread_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.Join();
}

void MessageBoxWatcher::QueueAnswer(int button) {
    const std::lock_guard<win32::CriticalSection> guard(lock_);
    answers_.push_back(button);
}

void MessageBoxWatcher::WhileShown(std::function<void()> hook) {
    const std::lock_guard<win32::CriticalSection> guard(lock_);
    whileShown_ = std::move(hook);
}

std::vector<SeenBox> MessageBoxWatcher::Seen() const {
    const std::lock_guard<win32::CriticalSection> guard(lock_);
    return seen_;
}

std::vector<std::wstring> MessageBoxWatcher::Texts() const {
    std::vector<std::wstring> texts;
    for (const SeenBox& box : Seen()) {
        texts.push_back(box.text);
    }
    return texts;
}

void MessageBoxWatcher::Watch() {
    while (!stop_) {
        Search search;
        ::EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&search));
        {
            const std::lock_guard<win32::CriticalSection> guard(lock_);
            answered_.erase(std::remove_if(answered_.begin(), answered_.end(),
                                           [](HWND box) { return !::IsWindow(box); }),
                            answered_.end());
        }
        for (HWND box : search.boxes) {
            Answer(box);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void MessageBoxWatcher::Answer(HWND box) {
    SeenBox seen;
    int answer = IDOK;
    std::function<void()> hook;
    {
        const std::lock_guard<win32::CriticalSection> guard(lock_);
        if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) {
            return;
        }
        answered_.push_back(box);
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
        hook = whileShown_;
    }
    seen.title = WindowText(box);
    seen.text = WindowText(::GetDlgItem(box, kBodyId));
    ::EnumChildWindows(box, CollectButtons, reinterpret_cast<LPARAM>(&seen.buttons));
    std::sort(seen.buttons.begin(), seen.buttons.end());
    seen.icon = IconOf(box);
    if (hook) {
        hook();
    }
    {
        const std::lock_guard<win32::CriticalSection> guard(lock_);
        seen_.push_back(seen);
    }
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, answer)));
}

namespace {

std::wstring TemporaryDirectory() {
    wchar_t base[MAX_PATH + 1] = L"";
    if (::GetTempPathW(MAX_PATH + 1, base) == 0) {
        throw std::runtime_error("GetTempPathW failed");
    }
    return base;
}

} // namespace

TempDirectory::TempDirectory() : TempDirectory(TemporaryDirectory()) {}

TempDirectory::TempDirectory(const std::wstring& parent) {
    static std::atomic<unsigned> counter{0};
    std::wstring base = parent;
    if (!base.empty() && base.back() != L'\\') {
        base += L'\\';
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate = base + L"quillery-" + std::to_wstring(::GetCurrentProcessId()) +
                                 L"-" + std::to_wstring(counter++);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = std::move(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDirectory::~TempDirectory() {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") {
                const std::wstring file = File(name);
                ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(file.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(path_.c_str());
}

RealPlatform::RealPlatform() : RealPlatform(TemporaryDirectory()) {}

RealPlatform::RealPlatform(const std::wstring& parentOfDataDirectory) : dir(parentOfDataDirectory) {
    port.files = &files;
    port.ansi = &ansi;
    port.system = &system;
    port.dialogs = &dialogs;
    port.desktop = &desktop;
    port.shell = &shell;
    port.threads = &threads;
}

std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot open the file to check it");
    }
    std::vector<std::uint8_t> bytes(::GetFileSize(file, nullptr));
    DWORD got = 0;
    const BOOL read = bytes.empty() || ::ReadFile(file, bytes.data(),
                                                  static_cast<DWORD>(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    if (!read || got != bytes.size()) {
        throw std::runtime_error("cannot read the file to check it");
    }
    return bytes;
}

void WriteWholeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot create the test's file (error " +
                                 std::to_string(::GetLastError()) + ")");
    }
    DWORD put = 0;
    const BOOL written =
        bytes.empty() ||
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    ::CloseHandle(file);
    if (!written || put != bytes.size()) {
        throw std::runtime_error("cannot write the test's file");
    }
}

bool RewriteInPlace(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    const win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               TRUNCATE_EXISTING, 0, nullptr));
    DWORD put = 0;
    return file &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
           put == bytes.size();
}

std::vector<std::uint8_t>
DataFileBytes(const std::vector<std::pair<int, std::wstring>>& descriptionsByRecord) {
    std::vector<std::uint8_t> bytes;
    for (const auto& [number, description] : descriptionsByRecord) {
        const auto record = RecordBytesOf(description, L"text of " + description, 0);
        const std::size_t offset = static_cast<std::size_t>(number - 1) * kRecordSize;
        bytes.resize(std::max(bytes.size(), offset + kRecordSize), 0);
        std::copy(record.begin(), record.end(), bytes.begin() + static_cast<long>(offset));
    }
    return bytes;
}

std::vector<std::uint8_t> MenuFileBytes(const std::wstring& base, std::int16_t flag,
                                        const std::vector<int>& items) {
    std::vector<std::uint8_t> bytes = RecordBytesOf(L"", base, flag);
    bytes.resize(kRecordSize * 22, 0);
    for (int item : items) {
        const auto record = RecordBytesOf(L"Item " + std::to_wstring(item),
                                          L"  text of " + std::to_wstring(item), 0);
        std::copy(record.begin(), record.end(),
                  bytes.begin() + static_cast<long>((item + 1) * kRecordSize));
    }
    return bytes;
}

std::vector<std::uint8_t> RecordOf(const std::vector<std::uint8_t>& bytes, int number) {
    const auto offset = static_cast<long>((number - 1) * kRecordSize);
    return {bytes.begin() + offset, bytes.begin() + offset + static_cast<long>(kRecordSize)};
}

std::wstring ProgramDirectory() {
    const std::wstring path = Win32SystemInfo(::GetModuleHandleW(nullptr)).ModulePath();
    return path.substr(0, path.find_last_of(L'\\'));
}

bool RunningOnWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string HostPath(const std::wstring& path) {
    using GetUnixFileName = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<GetUnixFileName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* converted = convert != nullptr ? convert(path.c_str()) : nullptr;
    if (converted == nullptr) {
        return {};
    }
    std::string hostPath = converted;
    ::HeapFree(::GetProcessHeap(), 0, converted);
    return hostPath;
}

bool RunOnHost(const std::vector<std::string>& arguments) {
    using SpawnOnHost = LONG(WINAPI*)(char* const* argv, int wait);
    const auto spawn = reinterpret_cast<SpawnOnHost>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    if (spawn == nullptr) {
        return false;
    }
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return spawn(argv.data(), /*wait=*/TRUE) == 0;
}

bool Xdotool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    return RunOnHost(arguments);
}

bool HasDisplayFocus(HWND window) {
    const auto xWindow =
        reinterpret_cast<std::uintptr_t>(::GetPropW(window, L"__wine_x11_whole_window"));
    return xWindow != 0 &&
           RunOnHost(
               {"sh", "-c", "test \"$(xdotool getwindowfocus)\" = " + std::to_string(xWindow)});
}

bool OpenContextMenu(HWND popup, int line, HWND& menuWindow, HMENU& menu) {
    constexpr UINT kGetMenuHandle = 0x01E1; // MN_GETHMENU
    ::PostMessageW(popup, WM_MOUSEMOVE, 0, LinePoint(line));
    ::PostMessageW(popup, WM_RBUTTONDOWN, MK_RBUTTON, LinePoint(line));
    ::PostMessageW(popup, WM_RBUTTONUP, 0, LinePoint(line));
    if (!WaitFor([&] { return (menuWindow = FindVisible(L"#32768")) != nullptr; })) {
        return false;
    }
    menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, kGetMenuHandle, 0, 0));
    return menu != nullptr;
}

bool EditAndApply(int line, wchar_t command, const std::wstring& description,
                  const std::function<void()>& meanwhile,
                  const std::function<void(HWND)>& afterApply) {
    constexpr int kDescriptionBox = 201;
    constexpr int kApplyButton = 211;
    HWND popup = nullptr;
    HWND menuWindow = nullptr;
    HMENU menu = nullptr;
    HWND editor = nullptr;
    if (!WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")) != nullptr; }) ||
        !OpenContextMenu(popup, line, menuWindow, menu)) {
        return false;
    }
    ::PostMessageW(menuWindow, WM_CHAR, command, 0);
    if (!WaitFor([&] { return (editor = FindVisible(L"QuilleryItemEditor")) != nullptr; })) {
        return false;
    }
    if (meanwhile) {
        meanwhile();
    }
    ::SendMessageW(::GetDlgItem(editor, kDescriptionBox), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(description.c_str()));
    ::SendMessageW(::GetDlgItem(editor, kApplyButton), BM_CLICK, 0, 0);
    if (afterApply) {
        afterApply(editor);
    }
    if (!WaitFor([] { return FindVisible(L"QuilleryItemEditor") == nullptr; })) {
        return false;
    }
    if (FindVisible(L"QuillerySnippetMenu") != nullptr) {
        ::PostMessageW(popup, WM_CLOSE, 0, 0);
    }
    return true;
}

HWND FindVisible(const wchar_t* className) {
    HWND window = ::FindWindowW(className, nullptr);
    return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

bool PumpUntil(const std::function<bool()>& condition) {
    return WaitFor([&] {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        return condition();
    });
}

CallerWindow::CallerWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kCallerClass;
    ::RegisterClassExW(&windowClass);
    window_ = ::CreateWindowExW(0, kCallerClass, L"Host", WS_OVERLAPPEDWINDOW, 500, 400, 300, 200,
                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
}

User::User(std::function<void()> actions)
    : thread_([actions = std::move(actions)] {
          actions();
          if (HWND popup = FindVisible(L"QuillerySnippetMenu")) {
              RECT rect{};
              ::GetWindowRect(popup, &rect);
              ::SetCursorPos(rect.right + 40, rect.bottom + 40);
          }
      }) {}

User::~User() {
    thread_.Join();
}

} // namespace quillery::wintest
