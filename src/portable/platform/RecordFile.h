#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace quillery {

// An open data file, read and written at byte offsets. Closing is the owner's destructor.
class RecordFile {
public:
    virtual ~RecordFile() = default;

    // Reads up to `size` bytes at `offset`. Returns the count read, which is smaller than
    // `size` at the end of the file, or nothing when the read failed.
    virtual std::optional<std::size_t> ReadAt(std::uint64_t offset, std::uint8_t* buffer,
                                              std::size_t size) = 0;

    // Writes all of `data` at `offset`, growing the file when needed. A write that fails may
    // have written part of `data` (a full disk takes what fits).
    virtual bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) = 0;

    // The file's length in bytes; nothing when the system cannot say.
    virtual std::optional<std::uint64_t> Size() = 0;

    // Cuts the file to `size` bytes.
    virtual bool Truncate(std::uint64_t size) = 0;

    // Whether the path the file was opened by still names this file: false once another
    // program has deleted it, moved it away or put another file in its place, which an open
    // file outlives without noticing.
    virtual bool IsStillAtItsPath() = 0;
};

} // namespace quillery
