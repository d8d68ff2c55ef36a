#pragma once

#include "platform/Platform.h"

#include <string>

namespace quillery {

// Opens an address or document through the shell, minimised, and keeps the window that
// asked open. A failure is shown as a warning; the caller goes on as if it had worked.
void LaunchExternal(Platform& platform, const std::wstring& target) noexcept;

// The directory the launched program starts in: the target's folder, a drive root or a lone
// backslash with its backslash, or `currentDirectory` when the target has no backslash.
std::wstring LaunchDirectory(const std::wstring& target, const std::wstring& currentDirectory);

} // namespace quillery
