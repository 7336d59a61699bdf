# CPack's project config script: packages are what users install, so a tree
# built with profiling (whose programs write gmon.out wherever they are
# started) is refused before anything is packaged.
if(CPACK_TERRAIN_PROFILING)
  message(FATAL_ERROR "a profiling build is not packaged: use tools/make_packages.sh")
endif()
