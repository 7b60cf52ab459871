# Renders the man page as man does and fails on any groff warning.
include(${CMAKE_CURRENT_LIST_DIR}/checks.cmake)

execute_process(COMMAND groff -man -Tutf8 -ww -P-cbou "${PAGE}"
  RESULT_VARIABLE status OUTPUT_VARIABLE rendered ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff (${status}) on ${PAGE}:\n${warnings}")
endif()
foreach(heading NAME SYNOPSIS DESCRIPTION DELIMITER OUTPUT DIAGNOSTICS "EXIT STATUS" EXAMPLES)
  string(FIND "${rendered}" "\n${heading}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The rendered page has no ${heading} section")
  endif()
endforeach()
