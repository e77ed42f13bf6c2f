// A program for the Windows pass (scripts/test.sh): raises an error so that
// its box is answered through the real MessageBoxA under Wine.
//   faults_program 5        error 5 in line 10; after Yes the program goes
//                           on to line 20, which ends with status 3
//   faults_program 301      the critical box of error 301 (status 0)
//   faults_program divide   an integer division by zero (status 0 after the
//                           "Division by zero" box)
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "runtime/core/end_program.h"
#include "runtime/core/statement.h"
#include "runtime/lifecycle/lifecycle.h"

namespace {

const char* fault = "5";
volatile int divisor = 0;

void faulting_program() {
    if (std::strcmp(fault, "divide") == 0) {
        statement(10, [] { divisor = 100 / divisor; });
    } else {
        statement(10, [] { raise_error(std::atoi(fault)); });
    }
    statement(20, [] { control.exit_code = 3; });
    statement(30, [] { system_exit(); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) fault = argv[1];
    runtime_main(1, argv, faulting_program);
    return 0;
}
