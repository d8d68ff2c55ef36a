#include "win32/Win32FileSecurity.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace quillery::win32 {
namespace {

// Frees what the security calls hand back with LocalAlloc.
struct LocalMemory {
    void* memory = nullptr;
    ~LocalMemory() { ::LocalFree(memory); }
};

std::optional<std::wstring> SidText(PSID sid) {
    LocalMemory text;
    if (sid == nullptr || !::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(&text.memory))) {
        return std::nullopt;
    }
    return std::wstring(static_cast<const wchar_t*>(text.memory));
}

bool OnFixedDrive(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') {
        return false;
    }
    return ::GetDriveTypeW(path.substr(0, 3).c_str()) == DRIVE_FIXED;
}

} // namespace

std::optional<SecurityDescription> Win32FileSecurity::Describe(const std::wstring& path) {
    if (!OnFixedDrive(path)) {
        return std::nullopt;
    }
    PSID owner = nullptr;
    PACL list = nullptr;
    LocalMemory descriptor;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                nullptr, &list, nullptr, &descriptor.memory) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    SecurityDescription description;
    const std::optional<std::wstring> ownerText = SidText(owner);
    if (!ownerText) {
        return std::nullopt;
    }
    description.owner = *ownerText;
    description.hasAccessList = list != nullptr;
    for (DWORD index = 0; list != nullptr && index < list->AceCount; ++index) {
        void* ace = nullptr;
        if (!::GetAce(list, index, &ace)) {
            return std::nullopt;
        }
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        AccessEntry entry;
        // The plain and the conditional (callback) entries share one layout: a mask, then the
        // trustee. An entry of any other kind cannot be read here, so nothing is answered.
        switch (header->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
            entry.allows = true;
            break;
        case ACCESS_DENIED_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_ACE_TYPE:
            entry.allows = false;
            break;
        default:
            return std::nullopt;
        }
        const auto* body = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        const std::optional<std::wstring> trustee = SidText(const_cast<DWORD*>(&body->SidStart));
        if (!trustee) {
            return std::nullopt;
        }
        entry.trustee = *trustee;
        entry.rights = body->Mask;
        entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
        description.entries.push_back(std::move(entry));
    }
    return description;
}

} // namespace quillery::win32
