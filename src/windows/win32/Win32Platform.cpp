#include "win32/Win32Platform.h"

#include "platform/Platform.h"
#include "win32/AcpCodec.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Shell.h"
#include "win32/Win32SystemInfo.h"
#include "win32/Win32ThreadSlot.h"

#include <optional>

namespace quillery::win32 {
namespace {
Win32FileSystem g_files;
AcpCodec g_ansi;
Win32Dialogs g_dialogs;
std::optional<Win32SystemInfo> g_system;
Win32Desktop g_desktop;
Win32Shell g_shell{g_ansi};
Win32ThreadSlot g_threads;
} // namespace

bool InstallWin32Platform(HMODULE module) noexcept {
    g_system.emplace(module);
    Platform platform;
    platform.files = &g_files;
    platform.ansi = &g_ansi;
    platform.system = &*g_system;
    platform.dialogs = &g_dialogs;
    platform.desktop = &g_desktop;
    platform.shell = &g_shell;
    platform.threads = &g_threads;
    InstallPlatform(platform);
    return g_threads.Usable();
}

} // namespace quillery::win32
