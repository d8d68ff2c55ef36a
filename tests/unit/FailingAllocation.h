#pragma once

namespace quillery::testing {

// Makes the next allocation of this test program throw std::bad_alloc, as running out of memory
// would, so that a test reaches the failures that only an exhausted heap causes. One allocation
// only: what the product does about the failure allocates again.
void FailNextAllocation() noexcept;

} // namespace quillery::testing
