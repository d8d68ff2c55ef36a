#pragma once

#include "base/Boundary.h"

#include <string>

namespace quillery::resident {

// What the user is told when a failure stopped what they asked the resident program for: what
// failed, as a quillery::Failure says it, or that the system is out of memory; for any other
// failure only that it could not be done.
std::wstring FailureNotice(const CaughtFailure& failure);

} // namespace quillery::resident
