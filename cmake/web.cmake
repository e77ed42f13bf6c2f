# The web build: the runtime and the game compiled to WebAssembly by
# Emscripten, with Emscripten's own SDL 1.2 (video surface, events,
# joystick) and the program and timer-event threads as pthreads (Web
# Workers over SharedArrayBuffer). The page is the whole build, with the
# web test's copy of its runtime in test/: no tests, benchmarks or tools run
# in it.
# -fexceptions: the program thread's stop is thrown (runtime/core/threads_web).
set(TZ_PLATFORM web)
set(TZ_TESTS OFF)
set(TZ_BENCH OFF)
set(TZ_TOOLS OFF)
set(web_flags -pthread -fexceptions)
add_compile_options(-include ${CMAKE_SOURCE_DIR}/web/compat/toolchain_gaps.h)
# WebAssembly traps on an integer division by zero: each division is checked
# instead, and the check shows the desktop's critical box
# (runtime/platform/arithmetic_fault_web.cpp).
add_compile_options(-fsanitize=integer-divide-by-zero -fsanitize-minimal-runtime -fno-sanitize-recover=all)

function(platform_runtime target)
  target_compile_options(${target} PUBLIC ${web_flags} -sUSE_SDL=1)
  target_link_options(${target} PUBLIC ${web_flags} -sUSE_SDL=1)
endfunction()

# How a page's runtime is linked. The runtime starts when the page calls
# main (after the click that unlocks sound); its exit reaches the page's quit
# handler. The page calls the runtime through the exported functions, and
# passes a key's names as strings through ccall.
set(web_exports _main _web_key_event _web_button_event _web_release_keys _web_fullscreen_state _web_fullscreen_left
    _web_page_hidden _web_main_loop_passes)
function(web_link target)
  list(JOIN ARGN "," exported)
  target_link_options(${target} PRIVATE
    -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=64MB
    -sPTHREAD_POOL_SIZE=2
    -sDEFAULT_PTHREAD_STACK_SIZE=2MB
    -sEXIT_RUNTIME=1
    -sENVIRONMENT=web,worker
    -sEXPORTED_RUNTIME_METHODS=[callMain,ccall]
    -sEXPORTED_FUNCTIONS=[${exported}]
    -sINVOKE_RUN=0
    -sMODULARIZE=0)
endfunction()

# The web test's build of the page: the same runtime, linked with what the
# test asks of it besides (tests/web/page_test_exports_web.cpp), in test/
# under the name the page loads. The players' page, which scripts/release.sh
# packs from page_files.txt, never has those.
function(platform_executable target)
  web_link(${target} ${web_exports})
  get_target_property(sources ${target} SOURCES)
  get_target_property(libraries ${target} LINK_LIBRARIES)
  add_executable(${target}-test ${sources} ${CMAKE_SOURCE_DIR}/tests/web/page_test_exports_web.cpp)
  target_link_libraries(${target}-test PRIVATE ${libraries})
  web_link(${target}-test ${web_exports} _web_provoke_fault _web_emulated_memory)
  set_target_properties(${target}-test PROPERTIES SUFFIX ".js" OUTPUT_NAME ${target}
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test)
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
  # The page's files next to the executable's .js, .wasm and worker: the
  # page is written here, not generated, as Emscripten's HTML minifier fails
  # on Debian's packaged tools.
  set(page_files index.html state.js page.js keys.js fullscreen.js lifecycle.js page.css touch.js touch.css gamepad.js
      offline.js)
  foreach(page_file ${page_files})
    configure_file(${CMAKE_SOURCE_DIR}/web/${page_file} ${CMAKE_BINARY_DIR}/${page_file} COPYONLY)
  endforeach()
  # The headers a host sends with the files (and web-server.py, too).
  configure_file(${CMAKE_SOURCE_DIR}/web/_headers ${CMAKE_BINARY_DIR}/_headers COPYONLY)
  # The manifest names the version.
  configure_file(${CMAKE_SOURCE_DIR}/web/manifest.webmanifest ${CMAKE_BINARY_DIR}/manifest.webmanifest @ONLY)
  list(APPEND page_files manifest.webmanifest)
  configure_file(${CMAKE_SOURCE_DIR}/data/icons/tommy-zappo-32.png ${CMAKE_BINARY_DIR}/favicon.png COPYONLY)
  foreach(size 192 512)
    configure_file(${CMAKE_SOURCE_DIR}/data/icons/tommy-zappo-${size}.png ${CMAKE_BINARY_DIR}/icon-${size}.png COPYONLY)
  endforeach()
  # The offline cache's worker, named after the version, everything above
  # and the linked runtime: written again whenever any of them changes.
  list(TRANSFORM page_files PREPEND ${CMAKE_BINARY_DIR}/)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/service_worker.js
    COMMAND ${CMAKE_COMMAND} -DDIR=${CMAKE_BINARY_DIR} -DWORKER=${CMAKE_SOURCE_DIR}/web/service_worker.js
            -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_SOURCE_DIR}/cmake/web_cache.cmake
    DEPENDS ${target} ${page_files} ${CMAKE_SOURCE_DIR}/web/service_worker.js ${CMAKE_SOURCE_DIR}/cmake/web_cache.cmake
    VERBATIM)
  add_custom_target(${target}_offline_cache ALL DEPENDS ${CMAKE_BINARY_DIR}/service_worker.js)
endfunction()
