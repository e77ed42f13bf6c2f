# The Windows build's unit tests: every test file of the Linux build but
# the Linux-only ones (<topic>_linux_test.cpp), in one
# program the test command runs under Wine. GoogleTest is built for it from
# Debian's own source of it.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_executable(windows_unit_tests ${TEST_SOURCES})
target_include_directories(windows_unit_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(windows_unit_tests PRIVATE game autopilot_planner gtest_main)
# A console program: GoogleTest's report goes to the standard output.
target_link_options(windows_unit_tests PRIVATE -mconsole)
# g++ 12 warns falsely of overlapping copies inside std::string at -O3.
target_compile_options(windows_unit_tests PRIVATE -Wno-restrict)
target_compile_options(autopilot_planner PRIVATE -Wno-restrict)

# The program whose error boxes the Windows pass answers through Wine's real
# message box.
add_executable(faults_program WIN32 windows/faults_program.cpp)
target_link_libraries(faults_program PRIVATE runtime)
# Beside the executable and SDL's DLLs, which Windows looks for there.
set_target_properties(windows_unit_tests faults_program PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
