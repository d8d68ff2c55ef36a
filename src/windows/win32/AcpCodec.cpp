#include "win32/AcpCodec.h"

#include "base/Failure.h"

#include <windows.h>

#include <climits>

namespace quillery::win32 {
namespace {

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        throw Failure("text too long for the code page conversion");
    }
    return static_cast<int>(size);
}

[[noreturn]] void ThrowLastError(const char* what) {
    throw Failure(what, ::GetLastError());
}

// Converts with WC_NO_BEST_FIT_CHARS and reports whether the default character was used. When
// the ANSI code page is UTF-8, which takes neither the flag nor the report, every character is
// representable and the plain conversion is used.
std::string ToAnsi(std::wstring_view text, bool& usedDefault) {
    usedDefault = false;
    if (text.empty()) {
        return {};
    }
    const int length = CheckedLength(text.size());
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    BOOL used = FALSE;
    BOOL* report = &used;
    int size =
        ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, report);
    if (size == 0 &&
        (::GetLastError() == ERROR_INVALID_FLAGS || ::GetLastError() == ERROR_INVALID_PARAMETER)) {
        flags = 0;
        report = nullptr;
        size =
            ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    }
    if (size == 0) {
        ThrowLastError("WideCharToMultiByte");
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (::WideCharToMultiByte(CP_ACP, flags, text.data(), length, bytes.data(), size, nullptr,
                              report) != size) {
        ThrowLastError("WideCharToMultiByte");
    }
    usedDefault = used != FALSE;
    return bytes;
}

std::string DefaultCharacter() {
    CPINFO info{};
    if (!::GetCPInfo(CP_ACP, &info)) {
        return "?";
    }
    std::string bytes;
    for (std::size_t i = 0; i < MAX_DEFAULTCHAR && info.DefaultChar[i] != 0; ++i) {
        bytes.push_back(static_cast<char>(info.DefaultChar[i]));
    }
    return bytes.empty() ? std::string("?") : bytes;
}

bool IsSurrogatePair(std::wstring_view text, std::size_t i) {
    return i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 &&
           text[i + 1] <= 0xDFFF;
}

} // namespace

std::wstring AcpCodec::Decode(const std::uint8_t* bytes, std::size_t size) const {
    if (size == 0) {
        return {};
    }
    const int length = CheckedLength(size);
    const auto* input = reinterpret_cast<const char*>(bytes);
    const int count = ::MultiByteToWideChar(CP_ACP, 0, input, length, nullptr, 0);
    if (count == 0) {
        ThrowLastError("MultiByteToWideChar");
    }
    std::wstring text(static_cast<std::size_t>(count), L'\0');
    if (::MultiByteToWideChar(CP_ACP, 0, input, length, text.data(), count) != count) {
        ThrowLastError("MultiByteToWideChar");
    }
    return text;
}

std::string AcpCodec::Encode(std::wstring_view text) const {
    // The system turns each half of an unrepresentable surrogate pair into a default character
    // of its own; converting each pair on its own lets it stand as the one character it is.
    std::string bytes;
    bool usedDefault = false;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsSurrogatePair(text, i)) {
            continue;
        }
        bytes += ToAnsi(text.substr(runStart, i - runStart), usedDefault);
        const std::string pair = ToAnsi(text.substr(i, 2), usedDefault);
        bytes += usedDefault ? DefaultCharacter() : pair;
        ++i;
        runStart = i + 1;
    }
    bytes += ToAnsi(text.substr(runStart), usedDefault);
    return bytes;
}

std::size_t AcpCodec::WholeCharactersLength(const std::uint8_t* bytes, std::size_t size) const {
    if (::GetACP() == CP_UTF8) {
        // The last sequence is whole when its first byte asks for no more bytes than follow.
        std::size_t start = size;
        while (start > 0 && size - start < 4 && (bytes[start - 1] & 0xC0) == 0x80) {
            --start;
        }
        if (start == 0) {
            return size;
        }
        const std::uint8_t first = bytes[start - 1];
        const std::size_t needed = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        return size - (start - 1) < needed ? start - 1 : size;
    }
    CPINFO info{};
    if (!::GetCPInfo(CP_ACP, &info) || info.MaxCharSize < 2) {
        return size;
    }
    // Lead bytes can also be trail bytes: only a walk from the start tells them apart.
    for (std::size_t i = 0; i < size; ++i) {
        if (::IsDBCSLeadByte(bytes[i])) {
            if (i + 1 == size) {
                return i;
            }
            ++i;
        }
    }
    return size;
}

} // namespace quillery::win32
