# Installing the programs (GNUInstallDirs) with their manual pages and the README, and the Debian package
# made from that: `cpack -G DEB` in the build folder, or scripts/package.sh. Its dependencies are
# Debian's runtime packages, found by dpkg-shlibdeps, and the fonts the playback engine draws text with.
include(GNUInstallDirs)

install(TARGETS VeltoFaxTool velto-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(page velto-convert.1 VeltoFaxTool.1)
  configure_file(${PROJECT_SOURCE_DIR}/doc/${page} ${PROJECT_BINARY_DIR}/doc/${page} @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/doc/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME velto-convert)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VeltoFaxTool <velto@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert print jobs of Velto Print and enhanced metafiles into images, fax TIFF, PDF or text")
set(CPACK_PACKAGE_DESCRIPTION
    "velto-convert turns EMF spool files and enhanced metafiles into BMP, JPEG, PNG, GIF, multi-page fax TIFF, PDF, EMF or text, drawing the pages with its own metafile playback engine. VeltoFaxTool is the companion program of the virtual printer Velto Print.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-liberation2, fonts-crosextra-carlito, fonts-crosextra-caladea, fonts-dejavu-core, fonts-wqy-zenhei")
set(CPACK_GENERATOR DEB)
include(CPack)
