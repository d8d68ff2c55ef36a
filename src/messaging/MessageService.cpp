#include "messaging/MessageService.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>

namespace quillery::host {
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

// A coordinate of "at": an integer that an int holds.
std::optional<int> CoordinateOf(const json& point, const char* name) {
    const auto value = point.find(name);
    if (value == point.end() || !value->is_number_integer()) {
        return std::nullopt;
    }
    const auto number = value->get<std::int64_t>();
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

} // namespace

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

int ServeMessages(IncomingMessages& incoming, ByteSink& output, MenuService& menu) {
    for (;;) {
        const Incoming next = incoming.Next();
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

} // namespace quillery::host
