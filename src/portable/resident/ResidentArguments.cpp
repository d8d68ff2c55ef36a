#include "resident/ResidentArguments.h"

#include "messages/ResidentMessages.h"

#include <algorithm>
#include <cwctype>

namespace quillery::resident {
namespace {

// The argument's name without its '/' or '-', in lower case; empty when it has neither.
std::wstring OptionName(std::wstring_view argument) {
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) {
        return {};
    }
    std::wstring name(argument.substr(1));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](wchar_t ch) { return static_cast<wchar_t>(std::towlower(ch)); });
    return name;
}

} // namespace

ResidentCommand ParseResidentArguments(const std::vector<std::wstring_view>& arguments) {
    using Kind = ResidentCommand::Kind;
    if (arguments.empty()) {
        return {Kind::StayResident, {}};
    }
    if (arguments.size() > 1) {
        return {Kind::Wrong, std::wstring(arguments[1])};
    }
    const std::wstring name = OptionName(arguments[0]);
    if (name == L"menu") {
        return {Kind::MenuOnce, {}};
    }
    if (name == L"quit") {
        return {Kind::Quit, {}};
    }
    return {Kind::Wrong, std::wstring(arguments[0])};
}

std::wstring WrongArgumentMessage(const ResidentCommand& command) {
    return messages::WrongArgument(command.wrong);
}

} // namespace quillery::resident
