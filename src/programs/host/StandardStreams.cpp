#include "host/StandardStreams.h"

namespace quillery::host {

std::size_t StandardInput::Read(std::span<char> buffer) {
    DWORD read = 0;
    // A pipe whose writer has closed fails (ERROR_BROKEN_PIPE), a file at its end reads
    // nothing, and a missing handle fails: each ends the input.
    if (!::ReadFile(handle_, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
        return 0;
    }
    return read;
}

bool StandardOutput::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) ||
            written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace quillery::host
