#include "messaging/MessageFraming.h"

#include <algorithm>
#include <array>

namespace quillery::messaging {
namespace {

constexpr std::size_t kLengthBytes = 4;
// Bytes asked of the source at once; a message over it takes several reads.
constexpr std::size_t kChunkBytes = 64 * 1024;

std::uint32_t LittleEndianLength(std::string_view bytes) {
    std::uint32_t length = 0;
    for (std::size_t i = kLengthBytes; i-- > 0;) {
        length = (length << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return length;
}

} // namespace

Incoming MessageReader::Next() {
    if (!Hold(kLengthBytes)) {
        return EndOfInput{};
    }
    const std::uint32_t length = LittleEndianLength(held_);
    held_.erase(0, kLengthBytes);
    // The length is the browser's own framing, so the next message starts right after these
    // bytes: they are read and dropped a chunk at a time, never held, and the input stays in
    // step. Refusing the message without reading it would leave its bytes to be read as the
    // next length.
    if (length > kMaxMessageBytes) {
        if (!Skip(length)) {
            return EndOfInput{};
        }
        return OversizedMessage{length};
    }
    if (!Hold(length)) {
        return EndOfInput{};
    }
    Message message{held_.substr(0, length)};
    held_.erase(0, length);
    return message;
}

bool MessageReader::Hold(std::size_t count) {
    std::array<char, kChunkBytes> chunk;
    while (held_.size() < count) {
        const std::size_t read = source_.Read(chunk);
        if (read == 0) {
            return false;
        }
        held_.append(chunk.data(), read);
    }
    return true;
}

bool MessageReader::Skip(std::uint32_t count) {
    const std::size_t fromHeld = std::min<std::size_t>(count, held_.size());
    held_.erase(0, fromHeld);
    std::size_t left = count - fromHeld;
    std::array<char, kChunkBytes> chunk;
    while (left > 0) {
        // Never past the message's end: what follows it is the next message.
        const std::size_t read = source_.Read(std::span(chunk).first(std::min(left, chunk.size())));
        if (read == 0) {
            return false;
        }
        left -= read;
    }
    return true;
}

std::string Framed(std::string_view json) {
    const auto length = static_cast<std::uint32_t>(json.size());
    std::string framed;
    framed.reserve(kLengthBytes + json.size());
    for (std::size_t i = 0; i < kLengthBytes; ++i) {
        framed.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
    }
    framed.append(json);
    return framed;
}

} // namespace quillery::messaging
