# The Linux build: SDL 1.2 (or sdl12-compat), SDL_mixer and SDL_ttf from the
# system, and the X library that SDL's window system driver uses: close
# requests are counted in its event conversion (runtime/platform/close_watch).
# The program thread's stop is a forced unwind (runtime/core/threads_linux).
set(TZ_PLATFORM linux)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL REQUIRED IMPORTED_TARGET sdl SDL_mixer SDL_ttf)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
find_package(Threads REQUIRED)

function(platform_runtime target)
  target_link_libraries(${target} PUBLIC PkgConfig::SDL PkgConfig::X11 Threads::Threads)
endfunction()

# The executable and what a desktop needs besides it.
function(platform_executable target)
  include(GNUInstallDirs)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES data/tommy-zappo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The version's release date is its heading's in CHANGELOG.md.
  file(STRINGS CHANGELOG.md release_heading REGEX "^## ${PROJECT_VERSION} \\([0-9-]+\\)$")
  if(NOT release_heading MATCHES "\\(([0-9-]+)\\)")
    message(FATAL_ERROR "CHANGELOG.md has no heading \"## ${PROJECT_VERSION} (YYYY-MM-DD)\" for this version")
  endif()
  set(TZ_RELEASE_DATE ${CMAKE_MATCH_1})
  configure_file(data/io.github.tommy_zappo.TommyZappo.metainfo.xml.in io.github.tommy_zappo.TommyZappo.metainfo.xml @ONLY)
  configure_file(data/tommy-zappo.6.in tommy-zappo.6 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/io.github.tommy_zappo.TommyZappo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES data/icons/tommy-zappo-32.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME tommy-zappo.png)
  install(FILES data/icons/tommy-zappo-256.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME tommy-zappo.png)
  install(FILES ${CMAKE_BINARY_DIR}/tommy-zappo.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endfunction()
