#pragma once

#include "base/Boundary.h"

#include <optional>
#include <string>

namespace quillery::resident {

// What failed, in the user's words: a quillery::Failure's text, or that the system is out of
// memory; nothing for any other failure, which has no text meant for the user.
std::optional<std::wstring> WhatFailed(const CaughtFailure& failure);

// What the user is told when a failure stopped what they asked the resident program for: what
// failed, or for any other failure only that it could not be done.
std::wstring FailureNotice(const CaughtFailure& failure);

} // namespace quillery::resident
