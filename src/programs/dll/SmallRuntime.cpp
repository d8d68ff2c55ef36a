// Replacements, for the DLL alone, of parts of the C++ runtime that would bring much of the
// standard library into it for no use here.
//
// - The default handler for an escaped exception prints the exception's type, and for that
//   carries a symbol demangler. Nothing may escape into the host anyway (every entry point
//   turns exceptions into HRESULTs), so an escape only ends the process, as the runtime's own
//   handler does after printing.
// - The containers report a misuse (a length beyond their maximum, an index out of range)
//   through these functions, whose library versions build the standard exceptions with their
//   strings and formatted messages. Here each throws the component's own Failure with the
//   container's fixed text, and an allocation failure stays std::bad_alloc.

#include "base/Failure.h"

#include <cstdlib>
#include <new>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    throw std::bad_alloc();
}

void __throw_bad_array_new_length() {
    throw std::bad_array_new_length();
}

void __throw_length_error(const char* what) {
    throw quillery::Failure(what);
}

void __throw_logic_error(const char* what) {
    throw quillery::Failure(what);
}

void __throw_out_of_range_fmt(const char* format, ...) {
    throw quillery::Failure(format);
}

} // namespace std
