#include "messaging/HostArguments.h"

#include <charconv>

namespace quillery::host {

std::uint64_t ParentWindowArgument(const std::vector<std::string_view>& arguments) {
    constexpr std::string_view kPrefix = "--parent-window=";
    for (const std::string_view argument : arguments) {
        if (argument.substr(0, kPrefix.size()) != kPrefix) {
            continue;
        }
        const std::string_view digits = argument.substr(kPrefix.size());
        std::uint64_t handle = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), handle);
        return error == std::errc() && end == digits.data() + digits.size() ? handle : 0;
    }
    return 0;
}

} // namespace quillery::host
