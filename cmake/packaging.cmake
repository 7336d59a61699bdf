# Packages: a Debian package of the Linux build; from the Windows builds a
# ZIP and installers (tools/windows_packages.sh joins the 32-bit and 64-bit
# trees).
# `cmake --install` puts the three programs in bin/ and, on Linux, what a
# desktop expects beside them: menu entries, the icon, manual pages, the
# copyright and the changelog.  tools/make_packages.sh makes both packages
# from release trees of its own.
set(terrain_release_date "2026-12-08")
set(terrain_release_date_rfc2822 "Tue, 08 Dec 2026 12:00:00 +0000")
set(terrain_contact "terrain viewers developers <terrain-viewers@example.org>")
set(terrain_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(terrain_staged ${PROJECT_BINARY_DIR}/packaging)

set(CPACK_PACKAGE_NAME "terrain-viewers")
set(CPACK_PACKAGE_VENDOR "${TERRAIN_VENDOR}")
set(CPACK_PACKAGE_CONTACT "${terrain_contact}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time terrain viewers (OpenGL)")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# What users install is a release build: without profiling (a profiled
# program writes gmon.out into whatever folder it is started from) and
# stripped.  The project config script refuses to package a profiling tree.
set(CPACK_STRIP_FILES ON)
set(CPACK_TERRAIN_PROFILING ${TERRAIN_PROFILING})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/package_release_only.cmake)

if(WIN32)
  set(CPACK_GENERATOR "ZIP")
  # The papers beside the programs in the ZIP and the installers, with
  # Windows line ends for Notepad: packaging/windows-papers/ in the tree.
  # The ZIP's readme tells which folder to use; the installed one (in
  # installed/) describes the folder it sits in.
  set(version ${PROJECT_VERSION})
  set(vendor ${TERRAIN_VENDOR})
  foreach(kind zip installed)
    file(READ ${terrain_packaging}/windows-readme-${kind}.txt readme_getting)
    string(CONFIGURE "${readme_getting}" readme_getting @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${terrain_packaging}/windows-readme-${kind}.txt)
    set(readme_folder windows-papers)
    if(kind STREQUAL installed)
      set(readme_folder windows-papers/installed)
    endif()
    configure_file(${terrain_packaging}/windows-readme.txt ${terrain_staged}/${readme_folder}/README.txt
                   @ONLY NEWLINE_STYLE CRLF)
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${terrain_staged}/windows-papers/LICENSE.txt
                 @ONLY NEWLINE_STYLE CRLF)
else()
  set(CPACK_GENERATOR "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
  # A Debian revision of its own, as a package whose upstream is elsewhere:
  # Debian's changelog.Debian.gz then sits beside the project's changelog.
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # A cross-built tree's package is for its processor's Debian architecture.
  if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL aarch64)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  endif()
  set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Three programs, terrain320, terrain128 and terrain32, each fill a grid of
that many points a side with pseudo-random heights and draw it every frame
as smoothly shaded, vertex-coloured triangles, seen from a camera that
orbits the grid centre while its distance swings in and out.  They run on
X11 and Wayland desktops with any OpenGL driver, Mesa's software one
included; Escape or the close button ends them.")
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
  # dpkg installs every file 0644 and every folder 0755, whatever the umask.
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

  # Per viewer: a menu entry and a manual page (section 6, gzipped).
  set(terrain_programs ${TERRAIN_PROGRAMS})
  set(behaviour_terrain320 "It waits one second before it opens its window.")
  set(behaviour_terrain128 "")
  set(behaviour_terrain32 "It pauses one millisecond after every frame.")
  set(version ${PROJECT_VERSION})
  set(date ${terrain_release_date})
  foreach(program ${terrain_programs})
    string(TOUPPER ${program} PROGRAM)
    set(grid ${TERRAIN_GRID_${program}})
    set(behaviour "${behaviour_${program}}")
    set(others ${terrain_programs})
    list(REMOVE_ITEM others ${program})
    list(GET others 0 first)
    list(GET others 1 second)
    set(see_also ".BR ${first} (6),\n.BR ${second} (6)")
    configure_file(${terrain_packaging}/viewer.desktop.in ${terrain_staged}/${program}.desktop @ONLY)
    configure_file(${terrain_packaging}/viewer.6.in ${terrain_staged}/${program}.6 @ONLY)
    execute_process(COMMAND gzip -9nf ${terrain_staged}/${program}.6 COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${terrain_staged}/${program}.desktop DESTINATION share/applications)
    install(FILES ${terrain_staged}/${program}.6.gz DESTINATION share/man/man6)
  endforeach()

  foreach(size 16 32 48 128 256)
    install(FILES ${terrain_packaging}/icons/terrain-viewers-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME terrain-viewers.png)
  endforeach()

  # The copyright in Debian's machine-readable form, its licence text the
  # LICENSE file's, indented as a control field's continuation lines.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
  string(REGEX REPLACE "^[^\n]*\n\n" "" license_text "${license_text}")
  string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
  string(REGEX REPLACE "([^\n]*)\n" " \\1\n" license_text "${license_text}")
  set(contact ${terrain_contact})
  set(release_date_rfc2822 ${terrain_release_date_rfc2822})
  configure_file(${terrain_packaging}/copyright.in ${terrain_staged}/copyright @ONLY)
  set(version ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
  configure_file(${terrain_packaging}/changelog.Debian.in ${terrain_staged}/changelog.Debian @ONLY)
  execute_process(COMMAND gzip -9nf ${terrain_staged}/changelog.Debian COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/CHANGELOG.md
                  OUTPUT_FILE ${terrain_staged}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${terrain_staged}/copyright ${terrain_staged}/changelog.Debian.gz
          ${terrain_staged}/changelog.gz DESTINATION share/doc/${CPACK_PACKAGE_NAME})
  install(FILES ${terrain_packaging}/lintian-overrides DESTINATION share/lintian/overrides
          RENAME ${CPACK_PACKAGE_NAME})
endif()

include(CPack)
