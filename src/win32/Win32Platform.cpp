#include "platform/win32/Win32Platform.h"

#include "platform/Platform.h"
#include "platform/win32/AcpCodec.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/views/Win32Desktop.h"
#include "platform/win32/views/Win32Views.h"

#include <optional>

namespace quillery {
namespace {
Win32FileSystem g_files;
AcpCodec g_ansi;
Win32Dialogs g_dialogs;
std::optional<Win32SystemInfo> g_system;
win32::Win32Desktop g_desktop;
std::optional<win32::Win32Views> g_views;
win32::Win32Shell g_shell{g_ansi};
} // namespace

void InstallWin32Platform(HMODULE module) {
    g_system.emplace(module);
    Platform platform = CurrentPlatform();
    platform.files = &g_files;
    platform.ansi = &g_ansi;
    platform.system = &*g_system;
    platform.dialogs = &g_dialogs;
    g_views.emplace(module);
    platform.desktop = &g_desktop;
    platform.views = &*g_views;
    platform.shell = &g_shell;
    InstallPlatform(platform);
}

} // namespace quillery
