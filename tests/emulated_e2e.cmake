# The viewers of a cross tree end to end under its emulator (Wine, qemu),
# through the shared suite with the emulator as its launcher, on the suite's
# own Xvfb: the window draws the terrain and Escape ends the run with 0, and
# the cases named after TESTS; ENVIRONMENT adds variables.  The X tools come
# from the native build.  NOTE: Python by its path, not as a target: ctest
# would run a target under the emulator, and Wine, starting a Linux program,
# drops its exit status.  Skipped ("NOT RUN") where the emulator cannot run.
find_package(Python3 COMPONENTS Interpreter)
function(terrain_add_emulated_e2e)
  cmake_parse_arguments(e2e "" "" "TESTS;ENVIRONMENT" ${ARGN})
  if(NOT Python3_FOUND)
    return()
  endif()
  list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " launcher)
  foreach(program ${TERRAIN_PROGRAMS})
    add_test(NAME e2e_${program}
             COMMAND ${Python3_EXECUTABLE} -B ${CMAKE_CURRENT_SOURCE_DIR}/e2e/viewer_e2e_test.py $<TARGET_FILE:${program}>
                     ${TERRAIN_NATIVE_BUILD}/tests/support/send_close_request
                     ${TERRAIN_NATIVE_BUILD}/tests/support/send_input_burst
                     viewer_on_x11.test_window_shows_the_terrain_and_escape_ends_the_run_with_status_0 ${e2e_TESTS})
    set_tests_properties(e2e_${program} PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77 SKIP_REGULAR_EXPRESSION "NOT RUN: "
                         ENVIRONMENT "E2E_LAUNCHER=${launcher};E2E_RUNS=2;E2E_PROFILED=${TERRAIN_PROFILING};${e2e_ENVIRONMENT}")
  endforeach()
endfunction()
