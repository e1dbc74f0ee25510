# Installation layout and the Debian package.
#
#   cmake --install build [--prefix DIR]     (DESTDIR is honoured)
#   cd build && cpack -G DEB
#
# installs bin/orlinde, its manual page and the bundled sample pictures, which the manual
# page's FILES section names under share/orlinde.

include(GNUInstallDirs)

install(TARGETS orlinde RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/man/orlinde.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/samples/scene.tga ${PROJECT_SOURCE_DIR}/samples/testcard.tga
        DESTINATION ${CMAKE_INSTALL_DATADIR}/orlinde)

set(CPACK_PACKAGE_NAME orlinde)
set(CPACK_PACKAGE_VENDOR "Orlinde developers")
set(CPACK_PACKAGE_CONTACT "Orlinde developers <dev@orlinde.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive viewer for the 2-D Haar wavelet transform")
set(CPACK_PACKAGE_DESCRIPTION
    "Orlinde opens a 512 x 512 8-bit greyscale TGA picture in a window and turns it into its
two-dimensional Haar wavelet coefficients and back, one pass or all levels per key press, in
the standard or the non-standard arrangement, with plain or normalized details. An intensity
scale makes the small detail coefficients visible. Two sample pictures are included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# dpkg-shlibdeps (Debian package dpkg-dev) turns the binary's shared libraries into Depends.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
