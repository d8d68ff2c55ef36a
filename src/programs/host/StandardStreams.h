#pragma once

#include "messaging/MessageFraming.h"

#include <windows.h>

namespace quillery::host {

// Standard input as the browser hands it over, read through the system's handle: no C runtime
// text mode between, so every byte arrives as it was sent.
class StandardInput final : public messaging::ByteSource {
public:
    StandardInput() : handle_(::GetStdHandle(STD_INPUT_HANDLE)) {}
    std::size_t Read(std::span<char> buffer) override;

private:
    HANDLE handle_;
};

// Standard output through the system's handle: nothing is buffered in the process, so each
// answer reaches the browser as soon as it is written.
class StandardOutput final : public messaging::ByteSink {
public:
    StandardOutput() : handle_(::GetStdHandle(STD_OUTPUT_HANDLE)) {}
    bool Write(std::string_view bytes) override;

private:
    HANDLE handle_;
};

} // namespace quillery::host
