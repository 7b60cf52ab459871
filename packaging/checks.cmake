# The checks of what ships, as users get it, run by ctest beside the tests of
# the tool itself, with the label `package`. packaging/release.sh runs the
# same scripts on every artifact it makes.
set(here ${CMAKE_CURRENT_SOURCE_DIR})
set(deb ${CMAKE_CURRENT_BINARY_DIR}/deb)
if(WIN32)
  # The oldest Windows the tool runs on, 7 SP1, read from its import table,
  # and ASLR and DEP from its header.
  add_test(NAME Package.ExeRunsOnWindows7WithAslrAndDep COMMAND bash ${here}/windows/check-exe
    ${CMAKE_OBJDUMP} $<TARGET_FILE:Vindolar> ${here}/windows/imports.txt)
  # The .msi under 64-bit Wine, for either CPU's package: install into a
  # folder of one's choice, upgrade, refused downgrade, removal.
  set(wine64 ${PROJECT_SOURCE_DIR}/cmake/wine-run /usr/lib/wine/wine64)
  execute_process(COMMAND ${wine64} ${CMAKE_CURRENT_BINARY_DIR}/msi/prefix --can-run
    RESULT_VARIABLE wine64_status ERROR_QUIET)
  if(TARGET msi AND wine64_status EQUAL 0)
    add_test(NAME Package.MsiInstallsUpgradesAndRemoves COMMAND bash ${here}/windows/check-msi
      ${VINDOLAR_MSI} ${CMAKE_CURRENT_BINARY_DIR}/msi ${VINDOLAR_MSI_INPUTS} ${wine64})
  endif()
elseif(VINDOLAR_FULLY_STATIC AND CMAKE_BUILD_TYPE STREQUAL "Release"
       AND (NOT CMAKE_CROSSCOMPILING OR VINDOLAR_DEB_ARCHITECTURE))
  # The .deb of the static build, as the release makes it, for this machine's
  # Debian architecture or the one the toolchain names. (release.sh also
  # installs the amd64 one into Debian 11 and 12: check-debian-install.sh.)
  # The stack canaries are told by the tool's own code, which calls the
  # canary's failure: the static C library has that call whatever the flags.
  add_test(NAME Package.DebHoldsAWorkingHardenedToolAndItsManPage COMMAND bash -c
    [[rm -rf "$2" && "$0" -G DEB --config "$1" -B "$2" >/dev/null && "$3" "$2"/vindolar_*.deb &&
      { "$4" -u "$5" | grep -q __stack_chk_fail || { echo "no stack canaries in $5"; exit 1; }; }]]
    ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}/CPackConfig.cmake ${deb} ${here}/check.sh
    ${CMAKE_NM} $<TARGET_FILE:vindolar_core>)
endif()
get_property(checks DIRECTORY PROPERTY TESTS)
set_tests_properties(${checks} PROPERTIES LABELS package TIMEOUT 900)
