# Makes the Windows zip, unpacks it, checks its layout and converts the
# shipped example with the unpacked Vindolar.exe under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/checks.cmake)

file(REMOVE_RECURSE "${WORK}")
run_or_fail(${CPACK} -G ZIP --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK}/packages")
file(GLOB zip "${WORK}/packages/Vindolar-*-win64.zip")
list(LENGTH zip count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "Expected one Vindolar-*-win64.zip: ${zip}")
endif()
file(MAKE_DIRECTORY "${WORK}/unpacked")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${zip}" WORKING_DIRECTORY "${WORK}/unpacked")
get_filename_component(top "${zip}" NAME_WLE)
set(top "${WORK}/unpacked/${top}")
expect_files(
  "${top}/bin/Vindolar.exe"
  "${top}/README.md"
  "${top}/share/man/man1/Vindolar.1")

configure_file("${SOURCE_DIR}/examples/sample.hst" "${WORK}/sample.hst" COPYONLY)
execute_process(COMMAND "${WINE_RUN}" "${WINE_PREFIX}" "${top}/bin/Vindolar.exe" sample.hst sample.txt
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
  message(FATAL_ERROR "Vindolar.exe from the zip: status ${status}, output '${out}'")
endif()
expect_same_bytes("${WORK}/sample.txt" "${SOURCE_DIR}/examples/sample.txt")
