#pragma once

#include "platform/AnsiCodec.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "platform/ThreadSlot.h"

namespace quillery {

// The port: everything the component's behaviour needs from the operating system. The DLL
// installs the Win32 implementation; native tests install scripted fakes. A request is handed
// the platform and passes it on to what it creates.
struct Platform {
    FileSystem* files = nullptr;
    AnsiCodec* ansi = nullptr;
    SystemInfo* system = nullptr;
    Dialogs* dialogs = nullptr;
    Desktop* desktop = nullptr;
    Shell* shell = nullptr;
    ThreadSlot* threads = nullptr;
};

// The platform of the whole process, installed once before the first request; only the
// component's entry points read it.
Platform& CurrentPlatform();
void InstallPlatform(const Platform& platform);

} // namespace quillery
