#include "menu/LaunchExternal.h"

#include "base/Attempt.h"
#include "forms/ErrorReporter.h"
#include "messages/Messages.h"

namespace quillery {

std::wstring LaunchDirectory(const std::wstring& target, const std::wstring& currentDirectory) {
    const auto backslash = target.rfind(L'\\');
    if (backslash == std::wstring::npos) {
        return currentDirectory;
    }
    if (backslash == 0 || target[backslash - 1] == L':') {
        return target.substr(0, backslash + 1);
    }
    return target.substr(0, backslash);
}

void LaunchExternal(Platform& platform, const std::wstring& target) noexcept {
    bool launched = false;
    platform.desktop->SetBusyPointer(true);
    Attempt([&] {
        // The whole target is the file, never split at blanks; there are no parameters.
        const std::wstring directory = LaunchDirectory(target, platform.shell->CurrentDirectory());
        const std::intptr_t result =
            platform.shell->Execute(L"open", target, L"", directory, Shell::kShowMinimized);
        platform.desktop->DoEvents();
        launched = result > 32;
    });
    platform.desktop->SetBusyPointer(false);
    if (!launched) {
        ShowErrorBox(*platform.dialogs, messages::kLaunchFailed, /*fatal=*/false);
    }
}

} // namespace quillery
