#include "access/AdministratorsOnly.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

namespace quillery {
namespace {

namespace rights = access_rights;

constexpr std::wstring_view kAdministrators[] = {
    L"S-1-5-32-544",                                                   // Administrators
    L"S-1-5-18",                                                       // SYSTEM
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", // TrustedInstaller
};

bool IsAdministrator(std::wstring_view trustee) {
    return std::find(std::begin(kAdministrators), std::end(kAdministrators), trustee) !=
           std::end(kAdministrators);
}

enum class Level { TheFile, ItsFolder, FurtherUp };

// The rights that, held by anyone else at that level, let them change the file or replace it.
std::uint32_t RightsThatChange(Level level) {
    const std::uint32_t anywhere = rights::kDelete | rights::kWriteDac | rights::kWriteOwner |
                                   rights::kGenericAll | rights::kGenericWrite;
    switch (level) {
    case Level::TheFile:
        return anywhere | rights::kWriteData | rights::kAppendData;
    case Level::ItsFolder:
        return anywhere | rights::kWriteData | rights::kAppendData | rights::kDeleteChild;
    case Level::FurtherUp:
        break;
    }
    return anywhere | rights::kDeleteChild;
}

bool OnlyAdministratorsChange(const SecurityDescription& description, Level level) {
    if (!IsAdministrator(description.owner) || !description.hasAccessList) {
        return false;
    }
    return std::none_of(
        description.entries.begin(), description.entries.end(), [level](const AccessEntry& entry) {
            return entry.allows && !entry.inheritOnly && !IsAdministrator(entry.trustee) &&
                   (entry.rights & RightsThatChange(level)) != 0;
        });
}

bool IsPlainName(std::wstring_view name) {
    return !name.empty() && name.find(L'/') == std::wstring_view::npos &&
           name.find_first_not_of(L'.') != std::wstring_view::npos;
}

// The file and the folders above it, the file first ("C:\A\f.dll", "C:\A", "C:\"); nothing
// unless the path is a drive letter, a colon, a backslash and then plain names.
std::vector<std::wstring> FileAndFoldersAbove(const std::wstring& path) {
    if (path.size() < 4 || path[1] != L':' || path[2] != L'\\' || path[0] > 0x7F ||
        !std::isalpha(static_cast<int>(path[0]))) {
        return {};
    }
    std::vector<std::wstring> levels;
    std::size_t end = path.size();
    while (end > 3) {
        const std::size_t separator = path.rfind(L'\\', end - 1);
        if (!IsPlainName(std::wstring_view(path).substr(separator + 1, end - separator - 1))) {
            return {};
        }
        levels.push_back(path.substr(0, end));
        end = separator;
    }
    levels.push_back(path.substr(0, 3));
    return levels;
}

} // namespace

bool OnlyAdministratorsCanChange(FileSecurity& security, const std::wstring& path) {
    const std::vector<std::wstring> levels = FileAndFoldersAbove(path);
    for (std::size_t at = 0; at < levels.size(); ++at) {
        const Level level = at == 0   ? Level::TheFile
                            : at == 1 ? Level::ItsFolder
                                      : Level::FurtherUp;
        const std::optional<SecurityDescription> description = security.Describe(levels[at]);
        if (!description || !OnlyAdministratorsChange(*description, level)) {
            return false;
        }
    }
    return !levels.empty();
}

} // namespace quillery
