# The checks of what ships, as users get it, run by ctest beside the tests of
# the tool itself, with the label `package`. packaging/release.sh runs the
# same scripts on every artifact it makes.
set(here ${CMAKE_CURRENT_SOURCE_DIR})
set(deb ${CMAKE_CURRENT_BINARY_DIR}/deb)
if(WIN32)
  # The oldest Windows the tool runs on, 7 SP1, read from its import table.
  add_test(NAME Package.ExeImportsAreOnWindows7 COMMAND bash ${here}/windows/check-imports
    ${CMAKE_OBJDUMP} $<TARGET_FILE:Vindolar> ${here}/windows/imports.txt)
  # The .msi under Wine: install into a folder of one's choice, upgrade,
  # refused downgrade, removal.
  if(TARGET msi AND CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME Package.MsiInstallsUpgradesAndRemoves COMMAND bash ${here}/windows/check-msi
      ${VINDOLAR_MSI} ${CMAKE_CURRENT_BINARY_DIR}/msi ${VINDOLAR_MSI_INPUTS} ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
elseif(VINDOLAR_FULLY_STATIC AND CMAKE_BUILD_TYPE STREQUAL "Release"
       AND (NOT CMAKE_CROSSCOMPILING OR VINDOLAR_DEB_ARCHITECTURE))
  # The .deb of the static build, as the release makes it, for this machine's
  # Debian architecture or the one the toolchain names. (release.sh also
  # installs the amd64 one into Debian 11 and 12: check-debian-install.sh.)
  add_test(NAME Package.DebHoldsAWorkingToolAndItsManPage COMMAND bash -c
    [[rm -rf "$2" && "$0" -G DEB --config "$1" -B "$2" >/dev/null && "$3" "$2"/vindolar_*.deb]]
    ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}/CPackConfig.cmake ${deb} ${here}/check.sh)
endif()
get_property(checks DIRECTORY PROPERTY TESTS)
set_tests_properties(${checks} PROPERTIES LABELS package TIMEOUT 900)
