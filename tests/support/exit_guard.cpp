// A test program that ends in the middle of a test (a critical error box, an
// END or SYSTEM reached outside a child process) would otherwise exit with
// status 0 and be counted as passed. Compiled into every test program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

const pid_t test_program_pid = getpid();

void fail_an_exit_inside_a_test() {
    if (getpid() != test_program_pid) return;  // a child process of the test ends as it will
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr) return;
    std::fprintf(stderr, "the test program ended inside %s.%s\n", test->test_suite_name(), test->name());
    std::fflush(stderr);
    _exit(1);
}

const int registered = std::atexit(fail_an_exit_inside_a_test);

}  // namespace
