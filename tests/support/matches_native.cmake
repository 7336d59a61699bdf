# cmake -P matches_native.cmake NATIVE_TOOL "ARGS,ARGS,..." CROSS_COMMAND...
# Runs a cross build's tool (through its emulator) and the native build's
# with the same arguments, once per call (calls separated by commas), and
# fails on any difference in what they print, the decimals in parentheses
# aside: the bits decide.
set(native "${CMAKE_ARGV3}")
string(REPLACE "," ";" calls "${CMAKE_ARGV4}")
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE 5 ${last})
  list(APPEND cross "${CMAKE_ARGV${i}}")
endforeach()

function(tool_output result)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 1800)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}: status ${status}\n${errors}")
  endif()
  string(REPLACE "\r" "" text "${text}")
  string(REGEX REPLACE " \\([^)\n]*\\)" "" bits "${text}")
  set(${result} "${text}" PARENT_SCOPE)
  set(${result}_bits "${bits}" PARENT_SCOPE)
endfunction()

foreach(call IN LISTS calls)
  separate_arguments(arguments UNIX_COMMAND "${call}")
  tool_output(actual ${cross} ${arguments})
  tool_output(expected "${native}" ${arguments})
  if(NOT actual_bits STREQUAL expected_bits)
    message(NOTICE "${call}: the native build prints\n${expected}this build\n${actual}")
    string(APPEND differing " (${call})")
  endif()
endforeach()
if(differing)
  message(FATAL_ERROR "differs from the native build at${differing}")
endif()
