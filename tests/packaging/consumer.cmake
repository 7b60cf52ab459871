# Builds a small program against the staged install with find_package and
# checks that it converts the shipped example like the tool does.
include(${CMAKE_CURRENT_LIST_DIR}/checks.cmake)

file(REMOVE_RECURSE "${CONSUMER_BUILD}")
run_or_fail(${CMAKE_COMMAND} -S "${CMAKE_CURRENT_LIST_DIR}/consumer" -B "${CONSUMER_BUILD}"
  -G "${GENERATOR}" -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_PREFIX_PATH=${STAGE} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)

# The package must come from the staging prefix, not from anywhere else.
file(STRINGS "${CONSUMER_BUILD}/CMakeCache.txt" found REGEX "^Vindolar_DIR:")
string(FIND "${found}" "=${STAGE}/" at)
if(at EQUAL -1)
  message(FATAL_ERROR "Vindolar was not found in ${STAGE}: ${found}")
endif()

run_or_fail(${CMAKE_COMMAND} --build "${CONSUMER_BUILD}")
set(text "${CONSUMER_BUILD}/sample.txt")
run_or_fail("${CONSUMER_BUILD}/consumer" "${SOURCE_DIR}/examples/sample.hst" "${text}")
expect_same_bytes("${text}" "${SOURCE_DIR}/examples/sample.txt")
