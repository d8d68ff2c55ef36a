#include "base/Boundary.h"

#include "base/Failure.h"

#include <new>

namespace quillery {

CaughtFailure CurrentFailure() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc& failure) {
        return {true, false, failure.what(), 0};
    } catch (const Failure& failure) {
        return {false, true, failure.what(), failure.SystemError()};
    } catch (const std::exception& failure) {
        return {false, false, failure.what(), 0};
    } catch (...) {
        return {false, false, "unknown failure", 0};
    }
}

} // namespace quillery
