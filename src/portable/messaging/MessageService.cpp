#include "messaging/MessageService.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quillery::messaging {
namespace {

using nlohmann::json;

std::string Dump(const json& answer) {
    // A text that is not valid UTF-8 has its bad bytes replaced rather than failing the answer.
    return answer.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ErrorAnswer(const std::string& message) {
    return Dump(json{{"error", message}});
}

struct OutcomeAnswer {
    std::string operator()(const MenuText& text) const { return Dump(json{{"text", text.utf8}}); }
    std::string operator()(const MenuError& error) const { return ErrorAnswer(error.message); }
};

std::string AnswerToOversized(const OversizedMessage& message) {
    return ErrorAnswer("the message is " + std::to_string(message.length) +
                       " bytes long; at most " + std::to_string(kMaxMessageBytes) + " are read");
}

// A coordinate of "at": a whole number. One beyond what JSON carries exactly is held at that
// bound, however it was written (a 64-bit unsigned number, an exponent), so that it lies off the
// screen on its own side and is clamped there, never wrapped. A fraction of a pixel is no point.
std::optional<std::int64_t> CoordinateOf(const json& point, const char* name) {
    constexpr std::int64_t kLargestExact = (std::int64_t{1} << 53) - 1;
    const auto value = point.find(name);
    if (value == point.end() || !value->is_number()) {
        return std::nullopt;
    }
    if (value->is_number_unsigned()) {
        return static_cast<std::int64_t>(
            std::min<std::uint64_t>(value->get<std::uint64_t>(), kLargestExact));
    }
    if (value->is_number_integer()) {
        return std::clamp<std::int64_t>(value->get<std::int64_t>(), -kLargestExact, kLargestExact);
    }
    const double number = value->get<double>();
    if (number >= static_cast<double>(kLargestExact)) {
        return kLargestExact;
    }
    if (number <= -static_cast<double>(kLargestExact)) {
        return -kLargestExact;
    }
    if (number != std::floor(number)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(number);
}

} // namespace

ScreenPixel NearestPixelIn(const ScreenArea& area, const ScreenPoint& point) noexcept {
    const auto within = [](std::int64_t value, int first, int end) {
        const std::int64_t last = std::max<std::int64_t>(first, std::int64_t{end} - 1);
        return static_cast<int>(std::clamp<std::int64_t>(value, first, last));
    };
    return {within(point.x, area.left, area.right), within(point.y, area.top, area.bottom)};
}

std::optional<std::string> AnswerTo(std::string_view message, MenuService& menu) {
    // Parsed without exceptions; the parser also refuses strings that are not valid UTF-8. The
    // answers never repeat what was sent: a long message would make an answer too long.
    const json request = json::parse(message, nullptr, false);
    if (request.is_discarded()) {
        return ErrorAnswer("the message is not valid JSON");
    }
    const auto name = request.is_object() ? request.find("request") : request.end();
    if (name == request.end() || !name->is_string()) {
        return ErrorAnswer(
            "the message names no request; the host answers {\"request\": \"menu\"}");
    }
    if (*name != "menu") {
        return ErrorAnswer("unknown request; the host answers {\"request\": \"menu\"}");
    }
    std::optional<ScreenPoint> at;
    if (const auto point = request.find("at"); point != request.end()) {
        const auto x = point->is_object() ? CoordinateOf(*point, "x") : std::nullopt;
        const auto y = point->is_object() ? CoordinateOf(*point, "y") : std::nullopt;
        if (!x || !y) {
            return ErrorAnswer("\"at\" is not a point: {\"x\": integer, \"y\": integer}");
        }
        at = ScreenPoint{*x, *y};
    }
    const std::optional<MenuOutcome> outcome = menu.ShowMenu(at);
    if (!outcome) {
        // The browser has gone: its user no longer waits for the menu.
        menu.CloseMenu();
        return std::nullopt;
    }
    return std::visit(OutcomeAnswer{}, *outcome);
}

int ServeMessages(IncomingMessages& incoming, ByteSink& output, MenuService& menu,
                  std::chrono::milliseconds idleLimit) {
    for (;;) {
        Incoming next = incoming.Next(idleLimit);
        if (std::holds_alternative<Quiet>(next)) {
            // Once more, without waiting: a message queued as the limit ran out is served.
            next = incoming.Next(std::chrono::milliseconds(0));
            if (std::holds_alternative<Quiet>(next)) {
                return 0; // nobody has asked for so long: end, and let go of the component
            }
        }
        std::optional<std::string> answer;
        if (const auto* message = std::get_if<Message>(&next)) {
            answer = AnswerTo(message->json, menu);
        } else if (const auto* oversized = std::get_if<OversizedMessage>(&next)) {
            answer = AnswerToOversized(*oversized);
        }
        if (!answer) {
            return 0; // the input has ended
        }
        if (!output.Write(Framed(*answer))) {
            return 1;
        }
    }
}

} // namespace quillery::messaging
