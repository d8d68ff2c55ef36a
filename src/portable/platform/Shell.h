#pragma once

#include <cstdint>
#include <string>

namespace quillery {

// The operating system's shell: opens documents and addresses with the programs that the
// user has associated with them.
class Shell {
public:
    static constexpr int kShowMinimized = 6;

    virtual ~Shell() = default;

    // Performs `operation` on `file`; the result is greater than 32 on success.
    virtual std::intptr_t Execute(const std::wstring& operation, const std::wstring& file,
                                  const std::wstring& parameters, const std::wstring& directory,
                                  int showCommand) = 0;

    // The process's current directory.
    virtual std::wstring CurrentDirectory() = 0;
};

} // namespace quillery
