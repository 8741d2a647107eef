# Installing and packaging. Both lay the game out as Debian does for games
# (games/orvanthe, share/games/orvanthe/data), so `cmake --install` and the
# .deb put the same files in the same places.
include(GNUInstallDirs)
set(ORVANTHE_INSTALL_BINDIR games CACHE STRING "Folder of the executable, under the prefix")
set(ORVANTHE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/orvanthe CACHE STRING
    "Folder that holds the game's data/, under the prefix")
# The one name the desktop entry, the icons and the metainfo share.
set(ORVANTHE_APP_ID io.github.orvanthe.Orvanthe)

# The executable looks for data/ relative to itself, so any prefix works,
# and so does a package unpacked anywhere.
file(RELATIVE_PATH _data_from_bin /p/${ORVANTHE_INSTALL_BINDIR} /p/${ORVANTHE_INSTALL_DATADIR})
target_compile_definitions(platform_sdl PRIVATE ORVANTHE_DATA_FROM_BINARY="${_data_from_bin}/")

# ---- the metainfo, manual page and changelog, with the version filled in ----
set(_res ${CMAKE_BINARY_DIR}/resources)
set(ORVANTHE_PACKAGE_PREFIX /usr)
execute_process(COMMAND date -u -R -d "${ORVANTHE_RELEASE_DATE}"
                OUTPUT_VARIABLE ORVANTHE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(app/resources/${ORVANTHE_APP_ID}.metainfo.xml.in ${_res}/${ORVANTHE_APP_ID}.metainfo.xml @ONLY)
configure_file(app/resources/orvanthe.6.in ${_res}/orvanthe.6 @ONLY)
configure_file(app/resources/changelog.in ${_res}/changelog @ONLY)
# -n: no name or time stamp inside, so the bytes depend on the text alone.
add_custom_command(
  OUTPUT ${_res}/orvanthe.6.gz ${_res}/changelog.gz
  COMMAND gzip -9nkf orvanthe.6 changelog
  DEPENDS ${_res}/orvanthe.6 ${_res}/changelog
  WORKING_DIRECTORY ${_res})
add_custom_target(orvanthe_docs ALL DEPENDS ${_res}/orvanthe.6.gz ${_res}/changelog.gz)

# ---- install rules ----
# Folders 0755 whatever the umask; files get 0644 and the executable 0755.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS orvanthe RUNTIME DESTINATION ${ORVANTHE_INSTALL_BINDIR})
install(DIRECTORY ${ORVANTHE_DATA_DIR}/ DESTINATION ${ORVANTHE_INSTALL_DATADIR}/data)
foreach(size IN LISTS ORVANTHE_ICON_SIZES)
  install(FILES ${ORVANTHE_ICON_DIR}/${size}x${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${ORVANTHE_APP_ID}.png)
endforeach()
install(FILES app/resources/${ORVANTHE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_res}/${ORVANTHE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_res}/orvanthe.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES app/resources/copyright ${_res}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---- the Debian package: cpack -G DEB in the build folder ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanthe)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvanthe developers")
set(CPACK_PACKAGE_CONTACT "Orvanthe developers <orvanthe@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person action game on a floating platform")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvanthe is a small first-person action game. You stand on a grassy
platform of hills floating above the clouds. Three horned creatures wait
on it; once one of them has been in your view for three seconds it wakes
and comes for you. Shoot them before they reach you, and don't walk off
the edge.

It plays with the keyboard and mouse or a gamepad, in a window or
fullscreen, and needs OpenGL.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${ORVANTHE_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/orvanthe/orvanthe)
# Dependencies come from the libraries the executable links, not from a list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Except one: SDL opens libGL.so.1 only at run time, for the window's
# OpenGL context on X11, where dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libgl1)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
