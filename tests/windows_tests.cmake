# The Windows build's unit tests: every test file that needs no child
# process (Windows has no fork), in one program the test command runs under
# Wine. GoogleTest is built for it from Debian's own source of it.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set(WINDOWS_TEST_SOURCES
  core/number_text_test.cpp core/string_functions_test.cpp core/strings_model_test.cpp
  core/strings_test.cpp core/timer_test.cpp
  screen/flood_fill_test.cpp screen/fonts_test.cpp screen/present_dialog_test.cpp
  screen/present_frame_test.cpp screen/present_text_test.cpp screen/read_back_test.cpp
  screen/screen_mode_test.cpp screen/text_output_test.cpp screen/window_scale_test.cpp
  sound/play_test.cpp sound/tone_test.cpp
  input/joystick_test.cpp input/key_port_test.cpp input/key_table_test.cpp input/keyboard_test.cpp
  game/level_data_test.cpp
  autopilot/lookahead_test.cpp autopilot/planner_test.cpp
  autopilot/board.cpp autopilot/planner.cpp autopilot/lookahead.cpp)
add_executable(windows_unit_tests ${WINDOWS_TEST_SOURCES})
target_include_directories(windows_unit_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/autopilot)
target_link_libraries(windows_unit_tests PRIVATE game gtest_main)
# A console program: GoogleTest's report goes to the standard output.
target_link_options(windows_unit_tests PRIVATE -mconsole)
# g++ 12 warns falsely of overlapping copies inside std::string at -O3.
target_compile_options(windows_unit_tests PRIVATE -Wno-restrict)

# The program whose error boxes the Windows pass answers through Wine's real
# message box.
add_executable(faults_program WIN32 windows/faults_program.cpp)
target_link_libraries(faults_program PRIVATE runtime)
# Beside the executable and SDL's DLLs, which Windows looks for there.
set_target_properties(windows_unit_tests faults_program PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
