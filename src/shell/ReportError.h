#pragma once

#include <string>

namespace quillery {

// Tells the user of a failure: a modal box titled with the product's name whose body is the
// message alone. A fatal report then closes the item editor, the welcome window and the
// pop-up, in that order, each only if open. It never fails towards its caller.
void ReportError(const std::wstring& message, bool fatal) noexcept;

} // namespace quillery
