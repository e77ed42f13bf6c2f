# The web build: the runtime and the game compiled to WebAssembly by
# Emscripten, with Emscripten's own SDL 1.2 (video surface, events,
# joystick) and the program and timer-event threads as pthreads (Web
# Workers over SharedArrayBuffer). A <topic>_web.cpp replaces <topic>.cpp.
# -fexceptions: the program thread's stop is thrown (runtime/core/threads).
set(web_flags -pthread -fexceptions)
add_compile_options(-include ${CMAKE_SOURCE_DIR}/web/compat/toolchain_gaps.h)
add_compile_definitions(TZ_THROWN_STOP=1)
choose_platform_sources(web)
add_library(runtime STATIC ${RUNTIME_SOURCES})
target_compile_options(runtime PUBLIC ${web_flags} -sUSE_SDL=1)
target_link_options(runtime PUBLIC ${web_flags} -sUSE_SDL=1)

# The page's files next to the executable's .js, .wasm and worker: the page
# is written here, not generated, as Emscripten's HTML minifier fails on
# Debian's packaged tools.
# The runtime starts when the page calls main (after the click that unlocks
# sound); its exit reaches the page's quit handler.
function(web_page target)
  target_link_options(${target} PRIVATE
    -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=64MB
    -sPTHREAD_POOL_SIZE=2
    -sDEFAULT_PTHREAD_STACK_SIZE=2MB
    -sEXIT_RUNTIME=1
    -sENVIRONMENT=web,worker
    -sEXPORTED_RUNTIME_METHODS=[callMain]
    -sEXPORTED_FUNCTIONS=[_main,_web_key_event,_web_fullscreen_state]
    -sINVOKE_RUN=0
    -sMODULARIZE=0)
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
  foreach(page_file index.html page.js page.css service_worker.js)
    configure_file(${CMAKE_SOURCE_DIR}/web/${page_file} ${CMAKE_BINARY_DIR}/${page_file} COPYONLY)
  endforeach()
  configure_file(${CMAKE_SOURCE_DIR}/data/icons/tommy-zappo-32.png ${CMAKE_BINARY_DIR}/favicon.png COPYONLY)
endfunction()
