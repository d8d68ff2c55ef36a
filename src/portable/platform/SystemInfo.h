#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillery {

// What the system tells about the machine and the component's own file.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    // The serial number of the volume whose root is `root` ("C:\\"); nothing if the query fails.
    virtual std::optional<std::uint32_t> VolumeSerialNumber(const std::wstring& root) = 0;

    // The directory that holds the component's own file, without a trailing backslash.
    virtual std::wstring ComponentDirectory() = 0;

    // The base name of the component's own file, without its extension ("Pennock").
    virtual std::wstring ExecutableName() = 0;
};

} // namespace quillery
