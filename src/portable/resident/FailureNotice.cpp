#include "resident/FailureNotice.h"

#include "messages/ResidentMessages.h"

namespace quillery::resident {

std::optional<std::wstring> WhatFailed(const CaughtFailure& failure) {
    if (failure.outOfMemory) {
        return messages::kOutOfMemory;
    }
    if (failure.isFailure) {
        return messages::Widened(failure.what);
    }
    return std::nullopt;
}

std::wstring FailureNotice(const CaughtFailure& failure) {
    const std::optional<std::wstring> what = WhatFailed(failure);
    return what ? messages::NotDone(*what) : messages::kNotDone;
}

} // namespace quillery::resident
