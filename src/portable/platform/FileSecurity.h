#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillery {

// The rights of a Windows access mask that let their holder change a file or folder, or what a
// folder holds. A folder's "write data" is the right to add files to it, its "append data" the
// right to add folders.
namespace access_rights {
constexpr std::uint32_t kWriteData = 0x0002;
constexpr std::uint32_t kAppendData = 0x0004;
constexpr std::uint32_t kDeleteChild = 0x0040;
constexpr std::uint32_t kDelete = 0x0001'0000;
constexpr std::uint32_t kWriteDac = 0x0004'0000;
constexpr std::uint32_t kWriteOwner = 0x0008'0000;
constexpr std::uint32_t kGenericAll = 0x1000'0000;
constexpr std::uint32_t kGenericWrite = 0x4000'0000;
} // namespace access_rights

// One entry of an access list. Trustees are security identifiers in their text form
// ("S-1-5-32-545").
struct AccessEntry {
    bool allows = true; // false: the entry denies its rights
    std::wstring trustee;
    std::uint32_t rights = 0;
    bool inheritOnly = false; // handed to what is made below, not held on the object itself
};

// A file's or folder's owner and access list.
struct SecurityDescription {
    std::wstring owner;
    bool hasAccessList = true; // false: a null access list, which lets anyone do anything
    std::vector<AccessEntry> entries;
};

// Who may change the files and folders of the machine's own drives.
class FileSecurity {
public:
    virtual ~FileSecurity() = default;

    // The owner and access list of the file or folder at `path`; nothing when they cannot be
    // read, or when the path is not on a fixed drive of this machine (a share's or a mapped
    // drive's identifiers are another machine's).
    virtual std::optional<SecurityDescription> Describe(const std::wstring& path) = 0;
};

} // namespace quillery
