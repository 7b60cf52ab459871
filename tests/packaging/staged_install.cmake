# Installs the build into a fresh staging prefix, checks what landed where,
# and converts the shipped example with the installed tool.
include(${CMAKE_CURRENT_LIST_DIR}/checks.cmake)

file(REMOVE_RECURSE "${STAGE}")
run_or_fail(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${STAGE}")
expect_files(
  "${STAGE}/bin/Vindolar"
  "${STAGE}/share/man/man1/Vindolar.1.gz"
  "${STAGE}/share/doc/vindolar/README.md")

set(text "${STAGE}-sample.txt")
file(REMOVE "${text}")
run_or_fail("${STAGE}/bin/Vindolar" "${SOURCE_DIR}/examples/sample.hst" "${text}")
expect_same_bytes("${text}" "${SOURCE_DIR}/examples/sample.txt")
