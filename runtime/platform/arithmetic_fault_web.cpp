// WebAssembly raises no signal on an integer division by zero: the division
// traps and the thread dies. The web build therefore has the compiler check
// every integer division (-fsanitize=integer-divide-by-zero, the minimal
// handlers, cmake/web.cmake), and the check lands here, where the desktop's
// SIGFPE handler would: the "Division by zero" critical box, then the end.
#include "runtime/core/statement.h"

extern "C" [[noreturn]] void __ubsan_handle_divrem_overflow_minimal_abort() {
    raise_error(11);
    __builtin_trap();  // a critical box never returns
}
