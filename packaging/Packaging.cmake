# What a player installs: the programs, their manual pages and bash completion, the help
# pages, the desktop entry, MIME types, icons and AppStream metainfo, and the Debian package
# that CPack makes of them (./package.sh).

install(TARGETS quorvex-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(QUORVEX_QT)
  install(TARGETS quorvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The demo game is for trying Quorvex without the game, not a command of its own.
install(TARGETS quorvex-demo-game RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quorvex)
install(FILES ${QUORVEX_DAT} DESTINATION ${QUORVEX_DATA_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/help DESTINATION ${QUORVEX_DATA_INSTALL_DIR} PATTERN "*.in" EXCLUDE)
install(FILES ${CMAKE_BINARY_DIR}/bin/help/quorvex-cli.html DESTINATION ${QUORVEX_DATA_INSTALL_DIR}/help)
if(WIN32)
  return()   # the rest is the Debian package's
endif()

set(QUORVEX_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/quorvex.1.in ${QUORVEX_PACKAGING_DIR}/quorvex.1 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/net.morvane.quorvex.metainfo.xml.in
  ${QUORVEX_PACKAGING_DIR}/net.morvane.quorvex.metainfo.xml @ONLY)

# Manual pages and the changelog are compressed as Debian installs them (gzip -9n: no name or
# time inside, so the package is the same every time).
find_program(GZIP gzip REQUIRED)
set(QUORVEX_COMPRESSED)
foreach(file ${QUORVEX_PACKAGING_DIR}/quorvex.1 ${QUORVEX_CLI_REFERENCE_DIR}/quorvex-cli.1 ${CMAKE_CURRENT_LIST_DIR}/changelog)
  get_filename_component(name ${file} NAME)
  set(compressed ${QUORVEX_PACKAGING_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${GZIP} -9n -c ${file} > ${compressed}
    DEPENDS ${file} quorvex_cli_reference)
  list(APPEND QUORVEX_COMPRESSED ${compressed})
endforeach()
add_custom_target(quorvex_compressed_docs ALL DEPENDS ${QUORVEX_COMPRESSED})

# File associations for every user: the desktop entry, the MIME types and their icons.
install(FILES ${QUORVEX_DESKTOP_DIR}/net.morvane.quorvex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVEX_DESKTOP_DIR}/quorvex.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/quorvex.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
  FILES_MATCHING PATTERN "application-x-*.svg")
install(FILES ${QUORVEX_PACKAGING_DIR}/net.morvane.quorvex.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUORVEX_PACKAGING_DIR}/quorvex.1.gz ${QUORVEX_PACKAGING_DIR}/quorvex-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUORVEX_CLI_REFERENCE_DIR}/quorvex-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME quorvex-cli)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${QUORVEX_PACKAGING_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvex)

set(CPACK_PACKAGE_NAME quorvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Morvane)
set(CPACK_PACKAGE_CONTACT "Morvane <quorvex@morvane.net>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mod manager and data editor for the DOS game Torlo")
set(CPACK_PACKAGE_DESCRIPTION
"Quorvex installs the mod files that Torlo players exchange (levels, graphics
and sound mods, palettes, weapon plugins, translations) and edits the data that
the game keeps inside its own files: weapons, objects, special objects, the
palette and materials, the computer player, every on-screen text and code
switches. Before it changes a game file it keeps a copy, which it can restore.
quorvex-cli does the same from scripts.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://quorvex.morvane.net)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)   # quorvex_<version>_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Searched for the modules' own libraries, which shlibdeps would otherwise look for in vain.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# The game runs in DOSBox; the desktop's MIME and menu caches follow by their triggers.
# associate runs update-mime-database, update-desktop-database and xdg-mime.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "shared-mime-info, desktop-file-utils, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "dosbox")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
include(CPack)
