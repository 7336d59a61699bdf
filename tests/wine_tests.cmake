# The Windows builds' tests run under Wine, the toolchain's emulator
# (cmake/wine_emulator.sh), in a prefix of the build tree's own: made once,
# and served during a run by one persistent wineserver, which wine_prefix
# starts and wine_server_stop ends.
add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --start)
add_test(NAME wine_server_stop COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine SKIP_RETURN_CODE 77 TIMEOUT 900)
set_tests_properties(wine_server_stop PROPERTIES FIXTURES_CLEANUP wine SKIP_RETURN_CODE 77)

# The viewers end to end (emulated_e2e.cmake), and a viewer that cannot
# start telling why, in a box when it has no standard error.
if(TARGET terrain32)
  add_executable(start_without_std_handles support/start_without_std_handles.c)
  terrain_add_emulated_e2e(
    TESTS viewer_on_x11.test_runs_ended_by_escape_and_close_request_in_turn_leave_nothing_behind
          viewer_in_a_broken_environment.test_a_windows_viewer_without_gl_tells_its_failure_on_stderr_or_else_in_a_box
    ENVIRONMENT E2E_NO_STD_HANDLES=$<TARGET_FILE:start_without_std_handles>)
endif()

# Every test that runs a Windows program needs the prefix, and is skipped
# (the emulator says "NOT RUN") where the loader cannot start.
get_property(terrain_wine_tests DIRECTORY PROPERTY TESTS)
list(REMOVE_ITEM terrain_wine_tests wine_prefix wine_server_stop sse2_only)
set_tests_properties(${terrain_wine_tests} PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77
                     SKIP_REGULAR_EXPRESSION "NOT RUN: ")
