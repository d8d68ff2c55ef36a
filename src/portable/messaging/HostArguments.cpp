#include "messaging/HostArguments.h"

#include <charconv>
#include <optional>

namespace quillery::messaging {
namespace {

// The whole of the first argument's value after `prefix` as a decimal number; nothing where no
// argument starts so, or where its value is not such a number of type Number.
template <typename Number>
std::optional<Number> NumberArgument(const std::vector<std::string_view>& arguments,
                                     std::string_view prefix) {
    for (const std::string_view argument : arguments) {
        if (argument.substr(0, prefix.size()) != prefix) {
            continue;
        }
        const std::string_view digits = argument.substr(prefix.size());
        Number value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size()) {
            return std::nullopt;
        }
        return value;
    }
    return std::nullopt;
}

} // namespace

std::uint64_t ParentWindowArgument(const std::vector<std::string_view>& arguments) {
    return NumberArgument<std::uint64_t>(arguments, "--parent-window=").value_or(0);
}

std::chrono::milliseconds IdleLimitArgument(const std::vector<std::string_view>& arguments) {
    // The longest is one below 2^32 - 1, which a wait of the system takes as no limit at all.
    const auto limit = NumberArgument<std::uint32_t>(arguments, "--idle-limit-ms=");
    if (!limit || *limit == 0 || *limit == UINT32_MAX) {
        return kDefaultIdleLimit;
    }
    return std::chrono::milliseconds(*limit);
}

} // namespace quillery::messaging
