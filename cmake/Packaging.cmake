# Installation layout and the Debian package.
#
#   cmake --install build [--prefix DIR]     (DESTDIR is honoured)
#   cd build && cpack -G DEB
#
# installs bin/orlinde, its manual page, the bundled sample pictures (which the manual page's
# FILES section names under share/orlinde), a desktop entry with its icon, and the licence and
# changelog under share/doc/orlinde in the form Debian's policy asks for.

include(GNUInstallDirs)

# Debian wants manual pages and changelogs compressed with gzip -9; -n leaves out the time
# stamp, so the same sources give the same package.
function(orlinde_gzip source output)
  add_custom_command(OUTPUT ${output}
                     COMMAND gzip -9n -c ${source} > ${output}
                     DEPENDS ${source} VERBATIM)
endfunction()
set(manual_gz ${PROJECT_BINARY_DIR}/orlinde.1.gz)
orlinde_gzip(${PROJECT_SOURCE_DIR}/man/orlinde.1 ${manual_gz})
configure_file(${PROJECT_SOURCE_DIR}/dist/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
set(changelog_gz ${PROJECT_BINARY_DIR}/changelog.gz)
orlinde_gzip(${PROJECT_BINARY_DIR}/changelog ${changelog_gz})
add_custom_target(compressed_docs ALL DEPENDS ${manual_gz} ${changelog_gz})

install(TARGETS orlinde RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${manual_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/samples/scene.tga ${PROJECT_SOURCE_DIR}/samples/testcard.tga
        DESTINATION ${CMAKE_INSTALL_DATADIR}/orlinde)
install(FILES ${PROJECT_SOURCE_DIR}/dist/orlinde.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/orlinde.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/dist/copyright ${changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orlinde)

set(CPACK_PACKAGE_NAME orlinde)
set(CPACK_PACKAGE_VENDOR "Orlinde developers")
set(CPACK_PACKAGE_CONTACT "Orlinde developers <dev@orlinde.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive viewer for the 2-D Haar wavelet transform")
# Debian shows the long description as it stands, so its lines stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Orlinde opens a 512 x 512 8-bit greyscale TGA picture in a window and turns it
into its two-dimensional Haar wavelet coefficients and back, one pass or all
levels per key press, in the standard or the non-standard arrangement, with
plain or normalized details. An intensity scale makes the small detail
coefficients visible. Two sample pictures are included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# dpkg-shlibdeps (Debian package dpkg-dev) turns the binary's shared libraries into Depends.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
