// Quillery.exe: the snippet menu in every program. Without arguments it stays resident with an
// icon in the notification area and opens the menu at the caret of the focused program when the
// hotkey is pressed, then types the choice there; one instance per user session. /menu does
// that once and ends; /quit ends the running instance.

#include "app/CaretMenu.h"
#include "app/Resident.h"
#include "app/RunningInstance.h"
#include "base/Boundary.h"
#include "messages/ResidentMessages.h"
#include "platform/Platform.h"
#include "resident/ResidentArguments.h"
#include "win32/Win32Platform.h"
#include "winapi/UniqueResource.h"

#include <windows.h>

#include <shellapi.h>

#include <string_view>
#include <vector>

namespace {

using namespace quillery;

// How long a start that finds the instance's name taken waits for the running instance's
// window, which a start made at the same moment makes just after taking the name.
constexpr DWORD kRunningWindowLimitMs = 3000;
// How long /quit waits for the running instance to end.
constexpr DWORD kQuitLimitMs = 10000;

// COM on the thread, single-threaded, for the menu's accessible object and the accessible
// caret; released as the program ends.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialised_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

std::vector<std::wstring> Arguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int k = 1; words != nullptr && k < count; ++k) {
        arguments.emplace_back(words[k]);
    }
    LocalFree(words);
    return arguments;
}

// Asks the running instance to end and waits until it has. Nothing to end is no failure.
int QuitRunningInstance() {
    HWND running = app::FindRunningInstance();
    if (running == nullptr) {
        return 0;
    }
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    const win32::UniqueHandle handle(OpenProcess(SYNCHRONIZE, FALSE, process));
    if (!PostMessageW(running, app::ResidentRequestMessage(),
                      static_cast<WPARAM>(app::ResidentRequest::Quit), 0)) {
        return 1;
    }
    return !handle || WaitForSingleObject(handle.get(), kQuitLimitMs) == WAIT_OBJECT_0 ? 0 : 1;
}

int MenuOnce(Platform& platform) {
    const app::FocusedProgram focused = app::FindFocusedProgram();
    const auto notice = app::MenuForProgram(platform, focused.target,
                                            MenuOpening{resident::CaretLine(focused.caret)}, 0);
    if (notice) {
        MessageBoxW(nullptr, notice->text.c_str(), messages::kProductName,
                    MB_OK | MB_SETFOREGROUND |
                        (notice->warning ? MB_ICONWARNING : MB_ICONINFORMATION));
        return 1;
    }
    return 0;
}

int StayResident(HINSTANCE instance, Platform& platform) {
    const win32::UniqueHandle instanceMark(
        CreateMutexW(nullptr, FALSE, app::InstanceName().c_str()));
    const bool nameTaken = !instanceMark || GetLastError() == ERROR_ALREADY_EXISTS;
    if (nameTaken) {
        // The running instance says it runs, from its icon.
        if (HWND running = app::WaitForRunningInstance(kRunningWindowLimitMs)) {
            PostMessageW(running, app::ResidentRequestMessage(),
                         static_cast<WPARAM>(app::ResidentRequest::StartedAgain), 0);
            return 0;
        }
        // No instance of ours answers: another program holds the name, and would otherwise keep
        // this one from ever starting. It starts, and says so.
    }
    app::Resident resident(instance, platform, nameTaken);
    return resident.Run();
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const std::vector<std::wstring> words = Arguments();
    const std::vector<std::wstring_view> arguments(words.begin(), words.end());
    const resident::ResidentCommand command = resident::ParseResidentArguments(arguments);
    using Kind = resident::ResidentCommand::Kind;
    if (command.kind == Kind::Wrong) {
        MessageBoxW(nullptr, resident::WrongArgumentMessage(command).c_str(),
                    messages::kProductName, MB_OK | MB_ICONERROR);
        return 2;
    }
    if (command.kind == Kind::Quit) {
        return QuitRunningInstance();
    }
    return ProcessMain(
        [&] {
            const ComApartment com;
            // The menu's data file lies beside this program, as it lies beside Pennock.dll.
            win32::Win32Platform platform(instance);
            if (!platform.Usable()) {
                MessageBoxW(nullptr, messages::kNoRoomToStart, messages::kProductName,
                            MB_OK | MB_ICONERROR);
                return 1;
            }
            return command.kind == Kind::MenuOnce ? MenuOnce(platform.Port())
                                                  : StayResident(instance, platform.Port());
        },
        [](const CaughtFailure&) {
            MessageBoxW(nullptr, messages::kCannotGoOn, messages::kProductName,
                        MB_OK | MB_ICONERROR);
            return 1;
        });
}
