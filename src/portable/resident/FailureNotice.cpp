#include "resident/FailureNotice.h"

#include "base/Failure.h"
#include "texts/ResidentMessages.h"

#include <new>

namespace quillery::resident {

std::wstring FailureNotice(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return messages::NotDone(messages::kOutOfMemory);
    } catch (const Failure& fault) {
        return messages::NotDone(messages::Widened(fault.what()));
    } catch (...) {
        return messages::kNotDone;
    }
}

} // namespace quillery::resident
