#pragma once

#include "messaging/MessageFraming.h"

#include <windows.h>

#include <memory>

namespace quillery::host {

// The input's messages, cut on a thread of their own ahead of the one being answered: the
// input's end is seen at once, also while the main thread waits for an open menu, and what was
// read after a message waits its turn. At most kMaxAhead messages wait; the reading waits for
// room beyond that, as the pipe would hold the browser's writes back.
class ReadAhead final : public messaging::IncomingMessages {
public:
    static constexpr std::size_t kMaxAhead = 8;

    explicit ReadAhead(std::unique_ptr<messaging::ByteSource> input);
    // The reading thread may still wait on an input that has not ended: what it uses stays
    // with it until the process ends.
    ~ReadAhead() override = default;
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Whether the reading thread started; without it there is no input.
    bool Started() const { return started_; }
    // Signalled, for good, once the input has ended; every message before the end is queued
    // by then. Valid while this object lives.
    HANDLE Ended() const;
    // Signalled while a message waits to be taken. Valid while this object lives.
    HANDLE Waiting() const;

    // The next message, or the input's end, waiting for at most `limit` in one wait; Quiet
    // when the time ran out first.
    messaging::Incoming Next(std::chrono::milliseconds limit) override;

private:
    struct Shared;
    static DWORD WINAPI Run(void* shared) noexcept;

    std::shared_ptr<Shared> shared_;
    bool started_ = false;
};

} // namespace quillery::host
