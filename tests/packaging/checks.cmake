# Helpers for the script-mode tests in this folder.

# Runs a command and stops the test unless it succeeds.
function(run_or_fail)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Failed (${status}): ${ARGN}\n${out}")
  endif()
endfunction()

function(expect_files)
  foreach(path IN LISTS ARGN)
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "Missing: ${path}")
    endif()
  endforeach()
endfunction()

# Stops the test unless the two files hold the same bytes.
function(expect_same_bytes actual expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${actual}" "${expected}"
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${actual} differs from ${expected}")
  endif()
endfunction()
