#pragma once

#include <cstdio>
#include <cstdlib>

namespace quillery::fuzzing {

// Stops the run when an invariant does not hold: libFuzzer sees the abort as a crash and keeps
// the input that caused it.
inline void Require(bool holds, const char* invariant) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", invariant);
        std::abort();
    }
}

} // namespace quillery::fuzzing
