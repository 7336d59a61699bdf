# The resources every Windows viewer carries (packaging/windows/): the file's
# icon, made from the menu icon's PNGs; version details from the project's
# one version number; and the application manifest.  The tests and tools
# carry none.
#   terrain_add_windows_resources(PROGRAM GRID)
enable_language(RC)
# icotool (Debian's icoutils) packs the PNGs into one .ico: 16, 32 and 48 px
# as bitmaps, which every Windows reads, and 256 px as PNG, as Vista and
# later take it.
find_program(TERRAIN_ICOTOOL icotool REQUIRED)
set(terrain_icons ${PROJECT_SOURCE_DIR}/packaging/icons)
set(terrain_icon ${CMAKE_CURRENT_BINARY_DIR}/terrain-viewers.ico)
add_custom_command(OUTPUT ${terrain_icon}
  COMMAND ${TERRAIN_ICOTOOL} -c -o ${terrain_icon}
          ${terrain_icons}/terrain-viewers-16.png ${terrain_icons}/terrain-viewers-32.png
          ${terrain_icons}/terrain-viewers-48.png --raw=${terrain_icons}/terrain-viewers-256.png
  DEPENDS ${terrain_icons}/terrain-viewers-16.png ${terrain_icons}/terrain-viewers-32.png
          ${terrain_icons}/terrain-viewers-48.png ${terrain_icons}/terrain-viewers-256.png
  COMMENT "Making the viewers' icon")

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE copyright LIMIT_COUNT 1)
set(vendor ${TERRAIN_VENDOR})
set(product ${TERRAIN_PRODUCT})
set(product_id ${TERRAIN_PRODUCT_ID})
set(version ${PROJECT_VERSION})
set(version_commas ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
set(version_quad ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set(manifest_architecture amd64)
else()
  set(manifest_architecture x86)
endif()
set(icon ${terrain_icon})

function(terrain_add_windows_resources program grid)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${program}_resources)
  set(manifest ${folder}/${program}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/viewer.manifest.in ${manifest} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/viewer.rc.in ${folder}/${program}.rc @ONLY)
  target_sources(${program} PRIVATE ${folder}/${program}.rc)
  # windres reads the icon and the manifest; CMake would not know.
  set_source_files_properties(${folder}/${program}.rc PROPERTIES OBJECT_DEPENDS "${icon};${manifest}")
endfunction()
