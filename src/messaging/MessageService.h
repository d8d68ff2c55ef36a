#pragma once

#include "messaging/MessageFraming.h"

#include <string>
#include <string_view>
#include <variant>

namespace quillery::host {

// The chosen snippet's text in UTF-8; empty when the menu closed without a choice.
struct MenuText {
    std::string utf8;
};
// Why no menu could be shown.
struct MenuError {
    std::string message;
};
using MenuOutcome = std::variant<MenuText, MenuError>;

// Shows the snippet menu and waits until it has closed.
class MenuService {
public:
    virtual ~MenuService() = default;
    virtual MenuOutcome ShowMenu() = 0;
};

// The JSON answer to one message: {"text": ...} or {"error": ...} for {"request": "menu"},
// {"error": ...} for anything else.
std::string AnswerTo(std::string_view message, MenuService& menu);

// Answers each message of `input` on `output`, in order, one at a time, until the input ends.
// Returns the process's exit status: 0 when the input ended, 1 when an answer could not be
// written.
int ServeMessages(ByteSource& input, ByteSink& output, MenuService& menu);

} // namespace quillery::host
