# The web build: the runtime and the game compiled to WebAssembly by
# Emscripten, with Emscripten's own SDL 1.2 (video surface, events,
# joystick) and the program and timer-event threads as pthreads (Web
# Workers over SharedArrayBuffer). The page is the whole build: no tests,
# benchmarks or tools run in it.
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

# The page's files next to the executable's .js, .wasm and worker: the page
# is written here, not generated, as Emscripten's HTML minifier fails on
# Debian's packaged tools.
# The runtime starts when the page calls main (after the click that unlocks
# sound); its exit reaches the page's quit handler.
function(platform_executable target)
  target_link_options(${target} PRIVATE
    -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=64MB
    -sPTHREAD_POOL_SIZE=2
    -sDEFAULT_PTHREAD_STACK_SIZE=2MB
    -sEXIT_RUNTIME=1
    -sENVIRONMENT=web,worker
    -sEXPORTED_RUNTIME_METHODS=[callMain]
    -sEXPORTED_FUNCTIONS=[_main,_web_key_event,_web_fullscreen_state,_web_fullscreen_left,_web_page_hidden,_web_provoke_fault,_web_main_loop_passes,_web_emulated_memory]
    -sINVOKE_RUN=0
    -sMODULARIZE=0)
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
  set(page_files index.html page.js page.css touch.js touch.css gamepad.js offline.js)
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
