// quillery-host.exe as a browser runs it: a process of its own with pipes for its standard
// input and output, messages written in pieces or together, and real menu requests through the
// registered Pennock.dll: one answered by a click on a line, one whose browser goes away.

#include "Win32TestSupport.h"

#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quillery {
namespace {

using namespace std::chrono_literals;
using win32::UniqueHandle;
using win32::UniqueModule;
using wintest::ProgramDirectory;
using wintest::WaitFor;

// A message with its 32-bit little-endian length before it.
std::string Framed(std::string_view json) {
    const auto length = static_cast<std::uint32_t>(json.size());
    std::string framed;
    for (int shift = 0; shift < 32; shift += 8) {
        framed.push_back(static_cast<char>((length >> shift) & 0xFF));
    }
    return framed.append(json);
}

// Bytes waiting in a pipe, seen from a read handle of it; nothing when the pipe cannot be read.
std::optional<DWORD> Waiting(HANDLE pipe) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
        return std::nullopt;
    }
    return available;
}

// quillery-host.exe started with a pipe on each of its standard input and output. The test
// keeps a read handle of the input pipe too, to see when the host has taken what was sent.
class HostProcess {
public:
    // `arguments` follow the program's name on its command line.
    explicit HostProcess(const std::wstring& arguments = L"") {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE inputRead = nullptr;
        HANDLE inputWrite = nullptr;
        HANDLE outputRead = nullptr;
        HANDLE outputWrite = nullptr;
        if (!::CreatePipe(&inputRead, &inputWrite, &inherited, 0) ||
            !::CreatePipe(&outputRead, &outputWrite, &inherited, 0)) {
            ADD_FAILURE() << "CreatePipe failed, error " << ::GetLastError();
            return;
        }
        inputRead_.reset(inputRead);
        input_.reset(inputWrite);
        output_.reset(outputRead);
        const UniqueHandle childOutput(outputWrite);
        const UniqueHandle nothing(
            ::CreateFileW(L"NUL", GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr));
        ::SetHandleInformation(input_.get(), HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(output_.get(), HANDLE_FLAG_INHERIT, 0);

        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = inputRead_.get();
        startup.hStdOutput = childOutput.get();
        startup.hStdError = nothing.get();
        std::wstring commandLine =
            L"\"" + ProgramDirectory() + L"\\quillery-host.exe\"" + arguments;
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                              nullptr, &startup, &started)) {
            ADD_FAILURE() << "cannot start quillery-host.exe, error " << ::GetLastError();
            return;
        }
        process_.reset(started.hProcess);
        ::CloseHandle(started.hThread);
        ::SetHandleInformation(inputRead_.get(), HANDLE_FLAG_INHERIT, 0);
    }

    // Ends the input; a host still running after that is ended.
    ~HostProcess() {
        CloseInput();
        if (process_ && !ExitStatus(10s)) {
            ::TerminateProcess(process_.get(), 99);
        }
    }
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool Started() const { return static_cast<bool>(process_); }

    void Send(std::string_view bytes) {
        while (!bytes.empty()) {
            DWORD written = 0;
            ASSERT_TRUE(::WriteFile(input_.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                    &written, nullptr));
            bytes.remove_prefix(written);
        }
    }

    // Whether the host has read everything sent so far.
    bool TookEverything() {
        return WaitFor([&] { return Waiting(inputRead_.get()) == 0u; });
    }

    // The next answer's JSON, once all of it has arrived.
    std::optional<std::string> Answer(std::chrono::milliseconds limit = 10s) {
        if (!WaitFor([&] { return Waiting(output_.get()).value_or(0) >= 4; }, limit)) {
            return std::nullopt;
        }
        std::string length = Read(4);
        const std::uint32_t size =
            static_cast<unsigned char>(length[0]) | static_cast<unsigned char>(length[1]) << 8 |
            static_cast<unsigned char>(length[2]) << 16 |
            static_cast<std::uint32_t>(static_cast<unsigned char>(length[3])) << 24;
        if (!WaitFor([&] { return Waiting(output_.get()).value_or(0) >= size; }, limit)) {
            return std::nullopt;
        }
        return Read(size);
    }

    void CloseInput() { input_.reset(); }

    // The host's exit status once it has ended.
    std::optional<DWORD> ExitStatus(std::chrono::milliseconds limit = 10s) {
        if (::WaitForSingleObject(process_.get(), static_cast<DWORD>(limit.count())) !=
            WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD status = 0;
        ::GetExitCodeProcess(process_.get(), &status);
        return status;
    }

private:
    std::string Read(std::size_t size) {
        std::string bytes(size, '\0');
        DWORD read = 0;
        if (size > 0 &&
            !::ReadFile(output_.get(), bytes.data(), static_cast<DWORD>(size), &read, nullptr)) {
            read = 0;
        }
        bytes.resize(read);
        return bytes;
    }

    UniqueHandle inputRead_;
    UniqueHandle input_;
    UniqueHandle output_;
    UniqueHandle process_;
};

constexpr char kUnknownRequest[] =
    R"({"error":"unknown request; the host answers {\"request\": \"menu\"}"})";
constexpr char kNoRequest[] =
    R"({"error":"the message names no request; the host answers {\"request\": \"menu\"}"})";

TEST(HostProcessTest, MessagesInPiecesTogetherTooLongOrMalformedAreEachAnswered) {
    HostProcess host;
    ASSERT_TRUE(host.Started());

    // One message in three writes, each taken by the host before the next is written: split
    // inside the length and inside the JSON.
    const std::string ping = Framed(R"({"request": "ping"})");
    host.Send(ping.substr(0, 2));
    ASSERT_TRUE(host.TookEverything());
    host.Send(ping.substr(2, 9));
    ASSERT_TRUE(host.TookEverything());
    host.Send(ping.substr(11));
    EXPECT_EQ(host.Answer(), kUnknownRequest);

    // Two messages in one write.
    host.Send(Framed("{\"request\": 1}") + Framed("[}"));
    EXPECT_EQ(host.Answer(), kNoRequest);
    EXPECT_EQ(host.Answer(), R"({"error":"the message is not valid JSON"})");

    // Over the limit: refused, its bytes dropped, and the message after it found.
    host.Send(Framed(std::string(1024 * 1024 + 1, '[')) + ping);
    EXPECT_EQ(host.Answer(),
              R"({"error":"the message is 1048577 bytes long; at most 1048576 are read"})");
    EXPECT_EQ(host.Answer(), kUnknownRequest);
    // At the limit, and nested as deep as it can be: parsed and answered, not a stack overflow.
    host.Send(Framed(std::string(512 * 1024, '[') + std::string(512 * 1024, ']')));
    EXPECT_EQ(host.Answer(), kNoRequest);

    // The input ends inside a message: no answer, and a clean exit.
    host.Send(ping.substr(0, 10));
    host.CloseInput();
    EXPECT_EQ(host.ExitStatus(), 0u);
    EXPECT_EQ(host.Answer(0ms), std::nullopt);
}

// Pennock.dll in a folder of its own with its Menu.dat, registered while this lives, as an
// install leaves it.
class RegisteredServer {
public:
    RegisteredServer() {
        ::CopyFileW((ProgramDirectory() + L"\\Pennock.dll").c_str(), Dll().c_str(), FALSE);
        wintest::WriteWholeFile(folder_.File(L"Menu.dat"),
                                wintest::MenuFileBytes(L"", 1, {1, 4, 5}));
        registered_ = Call("DllRegisterServer") == S_OK;
    }
    ~RegisteredServer() { Unregister(); }
    RegisteredServer(const RegisteredServer&) = delete;
    RegisteredServer& operator=(const RegisteredServer&) = delete;

    bool Registered() const { return registered_; }
    void Unregister() {
        if (registered_) {
            EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
            registered_ = false;
        }
    }

private:
    std::wstring Dll() const { return folder_.File(L"Pennock.dll"); }
    HRESULT Call(const char* entryPoint) const {
        const UniqueModule dll(::LoadLibraryW(Dll().c_str()));
        const auto function = reinterpret_cast<HRESULT(WINAPI*)()>(
            reinterpret_cast<void*>(::GetProcAddress(dll.get(), entryPoint)));
        return function ? function() : E_FAIL;
    }

    wintest::TempDirectory folder_;
    bool registered_ = false;
};

// Asks the host for a menu and waits for it to show; null when it did not.
HWND RequestMenu(HostProcess& host) {
    host.Send(Framed(R"({"request": "menu"})"));
    HWND menu = nullptr;
    WaitFor([&] { return (menu = wintest::FindVisible(L"QuillerySnippetMenu")) != nullptr; });
    return menu;
}

// Two requests over one input, the second answered by the same process; then, with no message
// for its idle limit, the host ends by itself while its input is still open.
TEST(HostProcessTest, MenuRequestAnswersTheClickedLineThenSaysWhenThereIsNoComponent) {
    ::SetCursorPos(200, 300);
    RegisteredServer server;
    ASSERT_TRUE(server.Registered());
    HostProcess host(L" --idle-limit-ms=3000");
    ASSERT_TRUE(host.Started());

    const HWND menu = RequestMenu(host);
    ASSERT_NE(menu, nullptr);
    // Line 2 is item 4, whose text is "  text of 4": trimmed, as a click returns it.
    ::PostMessageW(menu, WM_MOUSEMOVE, 0, wintest::LinePoint(2));
    ::PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, wintest::LinePoint(2));
    ::PostMessageW(menu, WM_LBUTTONUP, 0, wintest::LinePoint(2));
    EXPECT_EQ(host.Answer(), R"({"text":"text of 4"})");
    EXPECT_FALSE(::IsWindow(menu));

    // The next request of the same run, with the component no longer registered.
    server.Unregister();
    host.Send(Framed(R"({"request": "menu"})"));
    const auto answer = host.Answer();
    ASSERT_TRUE(answer);
    EXPECT_NE(answer->find(R"({"error":"Pennock.DoBiz is not registered)"), std::string::npos)
        << *answer;
    EXPECT_EQ(host.ExitStatus(60s), 0u);
}

// With the pointer resting on the open menu, a second request closes it without a choice and
// opens its own, as a second request in one browser does. Then the browser closes its end: that
// menu closes without a choice and the host ends cleanly, answering nobody.
TEST(HostProcessTest, ANewRequestOrTheInputsEndClosesTheOpenMenu) {
    ::SetCursorPos(200, 300);
    RegisteredServer server;
    ASSERT_TRUE(server.Registered());
    HostProcess host;
    ASSERT_TRUE(host.Started());

    const HWND first = RequestMenu(host);
    ASSERT_NE(first, nullptr);
    host.Send(Framed(R"({"request": "menu"})"));
    EXPECT_EQ(host.Answer(), R"({"text":""})");
    EXPECT_FALSE(::IsWindow(first));
    HWND menu = nullptr;
    WaitFor([&] { return (menu = wintest::FindVisible(L"QuillerySnippetMenu")) != nullptr; });
    ASSERT_NE(menu, nullptr);
    host.CloseInput();
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(menu); }));
    EXPECT_EQ(host.ExitStatus(), 0u);
    EXPECT_EQ(host.Answer(0ms), std::nullopt);
}

// A browser on Windows names its window that asked, and where the menu opens: the menu opens
// there and takes the keyboard focus of that window's thread, which a process of its own gets
// only so, and its keys act on it. Once that window has closed, a request from another window
// of the same thread gets that thread's keyboard focus too. (Whether the browser's window is
// active again after is not asked: Wine hands the X focus of another process's window back to
// nobody.)
TEST(HostProcessTest, MenuOpensAtTheRequestsPointWithTheKeyboardOfTheBrowsersWindow) {
    ::SetCursorPos(20, 20);
    RegisteredServer server;
    ASSERT_TRUE(server.Registered());
    std::optional<wintest::CallerWindow> named;
    std::optional<wintest::CallerWindow> other;
    named.emplace();
    HostProcess host(L" --parent-window=" +
                     std::to_wstring(reinterpret_cast<std::uintptr_t>(named->get())));
    ASSERT_TRUE(host.Started());

    for (const auto& [x, y] : {std::pair(300, 250), std::pair(120, 90)}) {
        SCOPED_TRACE(x);
        host.Send(Framed(R"({"request": "menu", "at": {"x": )" + std::to_string(x) + R"(, "y": )" +
                         std::to_string(y) + "}}"));
        HWND menu = nullptr;
        ASSERT_TRUE(wintest::PumpUntil(
            [&] { return (menu = wintest::FindVisible(L"QuillerySnippetMenu")) != nullptr; }));
        RECT place{};
        ::GetWindowRect(menu, &place);
        EXPECT_EQ(place.left, x);
        EXPECT_TRUE(place.top < y && y <= place.bottom) << place.top << ".." << place.bottom;
        EXPECT_TRUE(wintest::PumpUntil([&] { return ::GetFocus() == menu; }))
            << "the browser's thread does not share the menu's keyboard focus";

        ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(menu); }));
        EXPECT_EQ(host.Answer(), R"({"text":""})");
        // The user closes the window that started the host; another of the thread's stays.
        other.emplace();
        named.reset();
    }
}

} // namespace
} // namespace quillery
