#pragma once

#include "platform/AnsiCodec.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "platform/ThreadSlot.h"

namespace quillery {

// The port: everything the component's behaviour needs from the operating system, as a value
// that points at the implementations. Each program builds the implementation it runs on and
// hands this to each request, which passes it on to what it creates: Pennock.dll and
// Quillery.exe the Win32 one (win32::Win32Platform), the native tests scripted fakes.
struct Platform {
    FileSystem* files = nullptr;
    AnsiCodec* ansi = nullptr;
    SystemInfo* system = nullptr;
    Dialogs* dialogs = nullptr;
    Desktop* desktop = nullptr;
    Shell* shell = nullptr;
    ThreadSlot* threads = nullptr;
};

} // namespace quillery
