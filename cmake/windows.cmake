# The Windows build: the platform interfaces are the real ones (MessageBoxA,
# GetKeyState, GetModuleFileNameA, Sleep). The program thread's stop is
# thrown, as on the web: the forced unwind hangs under Wine after its first
# frame (runtime/core/threads_windows).
set(TZ_PLATFORM windows)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL REQUIRED IMPORTED_TARGET sdl SDL_mixer SDL_ttf)
find_package(Threads REQUIRED)

# Only SDL's four DLLs beside the executable: the compiler's own libraries
# and winpthread go into it.
function(platform_runtime target)
  target_link_libraries(${target} PUBLIC PkgConfig::SDL Threads::Threads)
  target_link_options(${target} PUBLIC -static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic)
endfunction()

# The icon and version information, and what goes beside the executable:
# SDL's four DLLs.
function(platform_executable target)
  enable_language(RC)
  configure_file(${CMAKE_SOURCE_DIR}/data/windows/tommy-zappo.rc.in ${CMAKE_BINARY_DIR}/tommy-zappo.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/tommy-zappo.rc)
  foreach(dll SDL.dll SDL_mixer.dll SDL_ttf.dll libfreetype-6.dll)
    configure_file(${TZ_WINDOWS_PREFIX}/bin/${dll} ${CMAKE_BINARY_DIR}/${dll} COPYONLY)
  endforeach()
endfunction()
