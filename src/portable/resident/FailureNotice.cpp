#include "resident/FailureNotice.h"

#include "messages/ResidentMessages.h"

namespace quillery::resident {

std::wstring FailureNotice(const CaughtFailure& failure) {
    if (failure.outOfMemory) {
        return messages::NotDone(messages::kOutOfMemory);
    }
    if (failure.isFailure) {
        return messages::NotDone(messages::Widened(failure.what));
    }
    return messages::kNotDone;
}

} // namespace quillery::resident
