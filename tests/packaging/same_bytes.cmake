# Runs the Linux build and the Windows build (under Wine) of the tool on the
# same inputs with the same arguments, each in its own copy of the inputs,
# and fails unless every run gives the same exit status, the same standard
# output and standard error and the same files, byte for byte.
include(${CMAKE_CURRENT_LIST_DIR}/checks.cmake)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/inputs")
execute_process(COMMAND "${WINE_RUN}" "${WINE_PREFIX}" "${MAKE_HISTORIES}" inputs
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_comparison_histories failed (${status})")
endif()
configure_file("${SOURCE_DIR}/examples/sample.hst" "${WORK}/inputs/sample.hst" COPYONLY)
file(MAKE_DIRECTORY "${WORK}/inputs/folder" "${WORK}/inputs/-dir é")
configure_file("${SOURCE_DIR}/examples/sample.hst" "${WORK}/inputs/-dir é/-in put.hst" COPYONLY)
foreach(side linux windows)
  file(COPY "${WORK}/inputs/" DESTINATION "${WORK}/${side}")
endforeach()

# Every file under a side's folder, by relative name, with its SHA-256.
function(digest_folder folder result)
  file(GLOB_RECURSE files RELATIVE "${folder}" "${folder}/*")
  list(SORT files)
  set(digests)
  foreach(file IN LISTS files)
    file(SHA256 "${folder}/${file}" hash)
    list(APPEND digests "${file}=${hash}")
  endforeach()
  set(${result} "${digests}" PARENT_SCOPE)
endfunction()

# One run of each build. The argument EMPTY stands for an empty argument
# and SEMICOLON for ";", which a CMake list cannot carry as they are.
set(runs 0)
function(compare)
  math(EXPR count "${runs} + 1")
  set(runs ${count} PARENT_SCOPE)
  set(args ${ARGN})
  list(FIND args EMPTY empty_at)
  list(REMOVE_ITEM args EMPTY)
  string(REPLACE "SEMICOLON" "\\;" args "${args}")
  foreach(side linux windows)
    if(side STREQUAL linux)
      set(command "${LINUX_BINARY}")
    else()
      set(command "${WINE_RUN}" "${WINE_PREFIX}" "${WINDOWS_BINARY}")
    endif()
    if(empty_at EQUAL -1)
      execute_process(COMMAND ${command} ${args} WORKING_DIRECTORY "${WORK}/${side}"
        RESULT_VARIABLE status_${side}
        OUTPUT_FILE "${WORK}/${side}.out" ERROR_FILE "${WORK}/${side}.err")
    else()
      execute_process(COMMAND ${command} ${args} "" WORKING_DIRECTORY "${WORK}/${side}"
        RESULT_VARIABLE status_${side}
        OUTPUT_FILE "${WORK}/${side}.out" ERROR_FILE "${WORK}/${side}.err")
    endif()
    file(SHA256 "${WORK}/${side}.out" out_${side})
    file(SHA256 "${WORK}/${side}.err" err_${side})
    digest_folder("${WORK}/${side}" files_${side})
  endforeach()
  if(NOT status_linux STREQUAL status_windows OR NOT out_linux STREQUAL out_windows
     OR NOT err_linux STREQUAL err_windows OR NOT files_linux STREQUAL files_windows)
    file(READ "${WORK}/linux.out" linux_out HEX)
    file(READ "${WORK}/windows.out" windows_out HEX)
    message(FATAL_ERROR "The builds differ on: ${ARGN}\n"
      "status ${status_linux} / ${status_windows}\n"
      "stdout ${linux_out}\n    / ${windows_out}\n"
      "files ${files_linux}\n    / ${files_windows}")
  endif()
endfunction()

compare(sample.hst out.txt)
# Two right answers, not two equal wrong ones.
expect_same_bytes("${WORK}/linux/out.txt" "${SOURCE_DIR}/examples/sample.txt")
foreach(input every extremes dropped odd short empty)
  compare(${input}.hst out.txt)
endforeach()
foreach(delimiter SEMICOLON t tab T " " "\t;" "~" "é")
  compare(every.hst out.txt "${delimiter}")
endforeach()
compare(odd.hst out.txt EMPTY)
compare("-dir é/-in put.hst" "-dir é/-out put.txt")

# Standard output: the usage text and each message, CR LF and all.
compare()
compare(a)
compare(a b c d)
compare("missing é.hst" out.txt)
compare(folder out.txt)
compare(odd.hst no/such/out.txt)
compare(odd.hst folder)
compare(odd.hst odd.hst)
compare(odd.hst ./odd.hst)
# Equal to the Linux tool's, and so CR LF, not the CR CR LF of a text-mode
# standard output; checked once more here in so many words.
file(READ "${WORK}/windows.out" last_message HEX)
string(HEX "The .txt file ./odd.hst was not created/opened: it is the History file\r\n" expected)
if(NOT last_message STREQUAL expected)
  message(FATAL_ERROR "Unexpected message, in hex: ${last_message}")
endif()

message(STATUS "${runs} runs: the Windows and the Linux build wrote the same bytes")
