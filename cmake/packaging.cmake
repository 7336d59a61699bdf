# Packages: a Debian package of the Linux build; on Windows builds a ZIP of
# the executables.  `cmake --install` puts the three programs in bin/.
set(CPACK_PACKAGE_NAME "terrain-viewers")
set(CPACK_PACKAGE_VENDOR "terrain viewers developers")
set(CPACK_PACKAGE_CONTACT "terrain viewers developers <terrain-viewers@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Real-time terrain viewers: terrain320, terrain128, terrain32")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES OFF)

if(WIN32)
  set(CPACK_GENERATOR "ZIP")
else()
  set(CPACK_GENERATOR "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
  # The shared libraries the programs link (SDL2, GL, GLU, libc...), found by
  # dpkg-shlibdeps, plus Mesa's drivers, which are loaded at run time and so
  # are not among them: without one there is no GL context to draw with.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libglx-mesa0, libegl-mesa0")
endif()

include(CPack)
