#include "win32/Win32SystemInfo.h"

#include "base/Failure.h"

#include "win32/AcpCodec.h"

#include <mutex> // std::lock_guard only

namespace quillery::win32 {
namespace {

// Long enough for any path Windows can give back, "\\?\" paths included.
constexpr DWORD kLongestPath = 32768;

std::size_t LastSeparator(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        throw Failure("module path without a directory", ERROR_INVALID_PARAMETER);
    }
    return separator;
}

} // namespace

std::optional<std::uint32_t> Win32SystemInfo::VolumeSerialNumber(const std::wstring& root) {
    const std::lock_guard<CriticalSection> guard(lock_);
    if (!knownRoot_.empty() && knownRoot_ == root) {
        return knownSerial_;
    }
    // The ANSI call is the one the identifier has always been read with; a root the code page
    // cannot spell is not asked about.
    const AcpCodec ansi;
    const std::string narrowRoot = ansi.Encode(root);
    if (ansi.Decode(reinterpret_cast<const std::uint8_t*>(narrowRoot.data()), narrowRoot.size()) !=
        root) {
        return std::nullopt;
    }
    DWORD serial = 0;
    if (!::GetVolumeInformationA(narrowRoot.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr,
                                 0)) {
        return std::nullopt; // asked again next time: the drive may be back
    }
    knownRoot_ = root;
    knownSerial_ = static_cast<std::uint32_t>(serial);
    return knownSerial_;
}

std::wstring Win32SystemInfo::ModulePath() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameW(module_, path.data(), size);
        if (length == 0) {
            throw Failure("GetModuleFileNameW", ::GetLastError());
        }
        // A name that filled the whole buffer may have been cut short.
        if (length < size) {
            path.resize(length);
            return path;
        }
        if (size >= kLongestPath) {
            throw Failure("GetModuleFileNameW", ERROR_FILENAME_EXCED_RANGE);
        }
        path.assign(static_cast<std::size_t>(size) * 2, L'\0');
    }
}

std::wstring Win32SystemInfo::ComponentDirectory() {
    const std::wstring path = ModulePath();
    return path.substr(0, LastSeparator(path));
}

std::wstring Win32SystemInfo::ExecutableName() {
    const std::wstring path = ModulePath();
    std::wstring name = path.substr(LastSeparator(path) + 1);
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) {
        name.resize(dot);
    }
    return name;
}

HMODULE ModuleContaining(const void* address) {
    if (address == nullptr) {
        return nullptr; // some systems answer with the program's module
    }
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module)) {
        return nullptr;
    }
    return module;
}

} // namespace quillery::win32
