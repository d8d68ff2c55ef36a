#pragma once

#include <windows.h>

#include <string>

namespace quillery::app {

// The security identifier of the user `process` runs as, as text ("S-1-5-21-..."); empty when
// it cannot be read.
std::wstring ProcessUserSid(HANDLE process);

// The name that keeps one resident instance per user in the session: the user's identifier is
// part of it, so that another user's program in the session does not share it.
std::wstring InstanceName();

// The running instance's window: a window of the resident class whose process runs as this
// user a program of this one's file name (compared without case), other than this process.
// Another program may make a window of that class; it never counts. None when there is none.
HWND FindRunningInstance();

// FindRunningInstance, asked again until it answers or `limitMs` have passed: an instance that
// has just taken the name makes its window a moment later.
HWND WaitForRunningInstance(DWORD limitMs);

} // namespace quillery::app
