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
  # The shared libraries the programs link (SDL2, libOpenGL, GLU, libc...),
  # found by dpkg-shlibdeps, plus what is loaded at run time and so is not
  # among them: SDL opens libGL (GLX, on X11) and libEGL (Wayland) itself,
  # and those hand over to Mesa's GLX and EGL drivers and its software
  # rasteriser.  Without them there is no GL context to draw with.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1, libglx-mesa0, libegl-mesa0, libgl1-mesa-dri")
  # On Wayland SDL draws the window's title bar and close button only
  # through a libdecor plugin (GNOME draws none for its clients); X11
  # desktops need none, so it is recommended, not required.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libdecor-0-plugin-1-cairo | libdecor-0-plugin-1")
endif()

include(CPack)
