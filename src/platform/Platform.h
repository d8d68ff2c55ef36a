#pragma once

#include "platform/AnsiCodec.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "platform/WindowView.h"

namespace quillery {

// The port: everything the component's behaviour needs from the operating system. The DLL
// installs the Win32 implementation; native tests install scripted fakes.
struct Platform {
    FileSystem* files = nullptr;
    AnsiCodec* ansi = nullptr;
    SystemInfo* system = nullptr;
    Dialogs* dialogs = nullptr;
    Desktop* desktop = nullptr;
    ViewFactory* views = nullptr;
    Shell* shell = nullptr;
};

// The platform in use by the whole process. It must be installed before the first request.
Platform& CurrentPlatform();
void InstallPlatform(const Platform& platform);

} // namespace quillery
