# The Windows build: the platform interfaces are the real ones (MessageBoxA,
# GetKeyState, GetModuleFileNameA, Sleep). The program thread's stop is
# thrown, as on the web: the forced unwind hangs under Wine after its first
# frame (runtime/core/threads_windows).
set(TZ_PLATFORM windows)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL REQUIRED sdl SDL_mixer SDL_ttf)
find_package(Threads REQUIRED)
# winpthread's archive carries a version resource of its own ("POSIX
# WinThreads for Windows" 1.0.0.0), which the linker would keep in place of
# the game's: the executable takes a copy without it.
execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=libwinpthread.a
                OUTPUT_VARIABLE winpthread OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/winpthread)
file(COPY_FILE ${winpthread} ${CMAKE_BINARY_DIR}/winpthread/libwinpthread.a)
execute_process(COMMAND ${CMAKE_AR} d ${CMAKE_BINARY_DIR}/winpthread/libwinpthread.a version.o COMMAND_ERROR_IS_FATAL ANY)

function(platform_runtime target)
  target_include_directories(${target} PUBLIC ${SDL_INCLUDE_DIRS})
  target_compile_options(${target} PUBLIC ${SDL_CFLAGS_OTHER})
  # The linker orders the executable's imported DLLs by the paths of their
  # import libraries: SDL's are found through a folder named relative to the
  # build's, so that where the tree lies cannot change the order.
  get_filename_component(windows_prefix ${TZ_WINDOWS_PREFIX} ABSOLUTE)
  file(RELATIVE_PATH sdl_library_dir ${CMAKE_BINARY_DIR} ${windows_prefix}/lib)
  target_link_options(${target} PUBLIC -L${sdl_library_dir} ${SDL_LDFLAGS_OTHER})
  target_link_libraries(${target} PUBLIC ${SDL_LIBRARIES} Threads::Threads)
  # A release is the same file whoever builds it, wherever and whenever: no
  # build folder in the code (assertions' file names) and no link time in the
  # PE header.
  target_compile_options(${target} PUBLIC -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
  target_link_options(${target} PUBLIC -Wl,--no-insert-timestamp)
  # Only SDL's four DLLs beside the executable: the compiler's own libraries
  # and winpthread go into it.
  target_link_options(${target} PUBLIC -static-libgcc -static-libstdc++
                      -Wl,-Bstatic,--whole-archive winpthread/libwinpthread.a -Wl,--no-whole-archive,-Bdynamic)
endfunction()

# The icon, manifest and version information, and what goes beside the
# executable: SDL's four DLLs and the README with the version in it.
function(platform_executable target)
  enable_language(RC)
  configure_file(${CMAKE_SOURCE_DIR}/data/windows/tommy-zappo.manifest ${CMAKE_BINARY_DIR}/tommy-zappo.manifest @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/data/windows/README.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${CMAKE_SOURCE_DIR}/data/windows/tommy-zappo.rc.in ${CMAKE_BINARY_DIR}/tommy-zappo.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/tommy-zappo.rc)
  # The resource compiler's inputs, which the build does not find by itself.
  set_source_files_properties(${CMAKE_BINARY_DIR}/tommy-zappo.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/tommy-zappo.manifest;${CMAKE_SOURCE_DIR}/data/icons/tommy-zappo.ico")
  foreach(dll SDL.dll SDL_mixer.dll SDL_ttf.dll libfreetype-6.dll)
    configure_file(${TZ_WINDOWS_PREFIX}/bin/${dll} ${CMAKE_BINARY_DIR}/${dll} COPYONLY)
  endforeach()
endfunction()
