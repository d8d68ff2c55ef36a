#include "win32/Win32Shell.h"

#include <windows.h>

#include <shellapi.h>

namespace quillery::win32 {

std::intptr_t Win32Shell::Execute(const std::wstring& operation, const std::wstring& file,
                                  const std::wstring& parameters, const std::wstring& directory,
                                  int showCommand) {
    const std::string operationA = ansi_.Encode(operation);
    const std::string fileA = ansi_.Encode(file);
    const std::string parametersA = ansi_.Encode(parameters);
    const std::string directoryA = ansi_.Encode(directory);
    const HINSTANCE result = ShellExecuteA(nullptr, operationA.c_str(), fileA.c_str(),
                                           parametersA.c_str(), directoryA.c_str(), showCommand);
    return reinterpret_cast<std::intptr_t>(result);
}

std::wstring Win32Shell::CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring directory(size, L'\0');
    directory.resize(GetCurrentDirectoryW(size, directory.data()));
    return directory;
}

} // namespace quillery::win32
