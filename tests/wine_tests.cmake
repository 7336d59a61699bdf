# The Windows builds' tests run under Wine, the toolchain's emulator
# (cmake/wine_emulator.sh), in a prefix of the build tree's own: made once,
# and served during a run by one persistent wineserver, which wine_prefix
# starts and wine_server_stop ends.
add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --start)
add_test(NAME wine_server_stop COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine SKIP_RETURN_CODE 77 TIMEOUT 900)
set_tests_properties(wine_server_stop PROPERTIES FIXTURES_CLEANUP wine SKIP_RETURN_CODE 77)

# The viewers end to end, through the shared suite with Wine as its
# launcher, on the suite's own Xvfb: the window draws the terrain and Escape
# ends the run with 0, then runs ended by Escape and by a close request in
# turn, and a viewer that cannot start tells why, in a box when it has no
# standard error.  The X tools come from the native build.  NOTE: Python by
# its path, not as a target: ctest would run a target under the emulator,
# and Wine, starting a Linux program, drops its exit status.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND AND TARGET terrain32)
  add_executable(start_without_std_handles support/start_without_std_handles.c)
  list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " launcher)
  foreach(program terrain320 terrain128 terrain32)
    add_test(NAME e2e_${program}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/e2e/viewer_e2e_test.py $<TARGET_FILE:${program}>
                     ${TERRAIN_NATIVE_BUILD}/tests/support/send_close_request
                     ${TERRAIN_NATIVE_BUILD}/tests/support/send_input_burst
                     viewer_on_x11.test_window_shows_the_terrain_and_escape_ends_the_run_with_status_0
                     viewer_on_x11.test_runs_ended_by_escape_and_close_request_in_turn_leave_nothing_behind
                     viewer_in_a_broken_environment.test_a_windows_viewer_without_gl_tells_its_failure_on_stderr_or_else_in_a_box)
    set_tests_properties(e2e_${program} PROPERTIES TIMEOUT 600 ENVIRONMENT
                         "E2E_LAUNCHER=${launcher};E2E_RUNS=2;E2E_PROFILED=${TERRAIN_PROFILING};E2E_NO_STD_HANDLES=$<TARGET_FILE:start_without_std_handles>")
  endforeach()
endif()

# Every test that runs a Windows program needs the prefix, and is skipped
# (the emulator says "NOT RUN") where the loader cannot start.
get_property(terrain_wine_tests DIRECTORY PROPERTY TESTS)
list(REMOVE_ITEM terrain_wine_tests wine_prefix wine_server_stop sse2_only)
set_tests_properties(${terrain_wine_tests} PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77
                     SKIP_REGULAR_EXPRESSION "NOT RUN: ")
