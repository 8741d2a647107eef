# The browser build: the game with platform/web, compiled by Debian's
# emscripten into a folder of static files (site/: index.html, orvanthe.js,
# .wasm, .data, icons). The data and icons come from a host build's asset
# generator (scripts/web makes both builds):
#   emcmake cmake -S . -B build-web/game -DORVANTHE_WEB_ASSETS=<host build>

set(ORVANTHE_WEB_ASSETS "" CACHE PATH "A host build tree whose data/ and icons/ the page ships")
if(NOT IS_DIRECTORY "${ORVANTHE_WEB_ASSETS}/data")
  message(FATAL_ERROR "ORVANTHE_WEB_ASSETS must name a host build with data/ (scripts/web makes one)")
endif()

# CLI11 is header-only; its Debian headers serve the browser as they are.
# Only they are put on the path, not the host's whole include folder.
find_path(ORVANTHE_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(cli11_dir ${CMAKE_BINARY_DIR}/cli11)
file(MAKE_DIRECTORY ${cli11_dir})
file(CREATE_LINK ${ORVANTHE_CLI11_INCLUDE}/CLI ${cli11_dir}/CLI SYMBOLIC)

set(site ${CMAKE_BINARY_DIR}/site)
add_executable(orvanthe
  ${ORVANTHE_GAME_SOURCES}
  app/main.cpp
  platform/posix/posix_files.cpp
  platform/web/web_window.cpp
  platform/web/web_input.cpp
  platform/web/gamepad_id.cpp
  platform/web/web_clock.cpp
  platform/web/web_dialog.cpp
  platform/web/web_files.cpp
  platform/web/web_sound.cpp
  platform/web/wav.cpp
  platform/web/inih/ini.cpp
)
# platform/web/inih stands in for Debian's libinih, which has no wasm build.
target_include_directories(orvanthe PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/platform/web/inih)
target_include_directories(orvanthe SYSTEM PRIVATE ${cli11_dir})
target_compile_definitions(orvanthe PRIVATE ORVANTHE_WEBGL ORVANTHE_VERSION="${PROJECT_VERSION}")
target_compile_options(orvanthe PRIVATE -Wall -Wextra)
# CLI11 reports a bad option by throwing; only the command line throws.
set_source_files_properties(app/command_line.cpp PROPERTIES COMPILE_OPTIONS -fexceptions)
target_link_options(orvanthe PRIVATE
  -fexceptions
  -sLEGACY_GL_EMULATION=1
  -sMAX_WEBGL_VERSION=2
  -sGL_UNSAFE_OPTS=0
  -sALLOW_MEMORY_GROWTH=1
  # main returns only without a game (--help, a bad option, no WebGL): the
  # runtime then ends and the page hears its exit code.
  -sEXIT_RUNTIME=1
  -sENVIRONMENT=web
  -sEXPORTED_FUNCTIONS=_main,_orvanthe_step,_orvanthe_ticks
  -sEXPORTED_RUNTIME_METHODS=ccall
  -lopenal
  --pre-js ${CMAKE_SOURCE_DIR}/platform/web/pre.js
  --preload-file ${ORVANTHE_WEB_ASSETS}/data@/data
)
set_target_properties(orvanthe PROPERTIES
  SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${site}
  LINK_DEPENDS "${CMAKE_SOURCE_DIR}/platform/web/pre.js")

# The page and its icons beside the game, copied again whenever they change.
add_custom_command(
  OUTPUT ${site}/index.html ${site}/icon-64.png ${site}/icon-128.png
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/platform/web/index.html ${site}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy ${ORVANTHE_WEB_ASSETS}/icons/64x64.png ${site}/icon-64.png
  COMMAND ${CMAKE_COMMAND} -E copy ${ORVANTHE_WEB_ASSETS}/icons/128x128.png ${site}/icon-128.png
  DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/index.html ${ORVANTHE_WEB_ASSETS}/icons/64x64.png
          ${ORVANTHE_WEB_ASSETS}/icons/128x128.png
  VERBATIM)
add_custom_target(orvanthe_page ALL DEPENDS ${site}/index.html ${site}/icon-64.png ${site}/icon-128.png)
