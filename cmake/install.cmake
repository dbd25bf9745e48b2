# The installed layout: the programs in PREFIX/bin, their files in
# PREFIX/share/vorn, plug-ins in PREFIX/lib/vorn/plugins, and what the desktop
# needs to offer Vorn for its file types.
include(GNUInstallDirs)

# vorn-decode, the child that decodes untrusted files, is found beside the
# programs.
install(TARGETS vorn-cli vorn-decode RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vorn)
  install(TARGETS vorn RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/resources/palette.lmp ${CMAKE_SOURCE_DIR}/resources/LICENSES.md
  DESTINATION ${CMAKE_INSTALL_DATADIR}/vorn)
if(EXISTS ${CMAKE_SOURCE_DIR}/help)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vorn/help)
endif()
install(DIRECTORY DESTINATION lib/vorn/plugins)

install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/vorn.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/vorn.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/hicolor/${size}x${size}/apps/vorn.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# scripts/package: a Debian package of the same layout.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Vorn developers <vorn@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the art files of Quake-engine games")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Editor for the art files of Quake-engine games
 Vorn opens, views, edits and saves animated sprites (.spr versions 1 and 2,
 .spr32), WAD2 texture archives, .lmp pictures, .mip textures and palettes,
 generates colormap.lmp, and converts artwork to and from common image
 formats. The vorn-cli batch tool does the same from scripts.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The shared libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Scanning loads libsane at run time; Help opens the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsane1, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
