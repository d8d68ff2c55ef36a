#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace quillery::messaging {

// The largest message the host takes: a browser's message over this is refused unread.
inline constexpr std::uint32_t kMaxMessageBytes = 1024 * 1024;

// Where the messages' bytes come from (standard input).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads at least one and at most buffer.size() bytes into `buffer`, waiting for them; how
    // many were read, 0 once the input has ended.
    virtual std::size_t Read(std::span<char> buffer) = 0;
};

// Where the answers go (standard output).
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all of `bytes` and hands them on at once, unbuffered; false when they could not be
    // written (the reader has gone).
    virtual bool Write(std::string_view bytes) = 0;
};

// One whole message: its JSON text, not yet parsed.
struct Message {
    std::string json;
};
// A message longer than kMaxMessageBytes, whose bytes were read and dropped.
struct OversizedMessage {
    std::uint32_t length;
};
// The input ended, between messages or inside one.
struct EndOfInput {};
// No message came within the time the host waited for one.
struct Quiet {};
using Incoming = std::variant<Message, OversizedMessage, EndOfInput, Quiet>;

// The messages as the host takes them, one at a time and in order.
class IncomingMessages {
public:
    virtual ~IncomingMessages() = default;
    // The next message, waiting for it for at most `limit` (0: only what is there already);
    // EndOfInput once the input has ended, Quiet when neither came in time.
    virtual Incoming Next(std::chrono::milliseconds limit) = 0;
};

// Cuts the input into messages: each a 32-bit little-endian length, then that many bytes. A
// message may arrive in many reads, and one read may hold several messages.
class MessageReader final : public IncomingMessages {
public:
    explicit MessageReader(ByteSource& source) : source_(source) {}

    // The next message, waiting for the source as long as it takes; never Quiet.
    Incoming Next();
    // As Next(): a source's reads have no limit, so neither has this.
    Incoming Next(std::chrono::milliseconds) override { return Next(); }

private:
    // Reads until at least `count` bytes are held; false when the input ends first.
    bool Hold(std::size_t count);
    // Drops the next `count` bytes of the input; false when the input ends first.
    bool Skip(std::uint32_t count);

    ByteSource& source_;
    std::string held_; // read from the source, not yet handed out
};

// `json` with its length before it, as the browser reads a message.
std::string Framed(std::string_view json);

} // namespace quillery::messaging
