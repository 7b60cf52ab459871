# The checks of what ships, as users get it, run by ctest beside the tests of
# the tool itself, with the label `package`. packaging/release.sh runs the
# same scripts on every artifact it makes.
if(WIN32)
  # The oldest Windows the tool runs on, 7 SP1, read from its import table.
  add_test(NAME Package.ExeImportsAreOnWindows7
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/check-imports ${CMAKE_OBJDUMP}
      $<TARGET_FILE:Vindolar> ${CMAKE_CURRENT_SOURCE_DIR}/windows/imports.txt)
  # The .msi under Wine: install into a folder of one's choice, upgrade,
  # refused downgrade, removal.
  if(TARGET msi AND CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME Package.MsiInstallsUpgradesAndRemoves
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/check-msi ${VINDOLAR_MSI}
        ${CMAKE_CURRENT_BINARY_DIR}/msi ${VINDOLAR_MSI_INPUTS} ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
endif()

# The .deb of the static build, as the release makes it, for this machine's
# Debian architecture or the one the toolchain names. This machine's is also
# installed into Debian 11 and 12.
if(VINDOLAR_FULLY_STATIC AND CMAKE_BUILD_TYPE STREQUAL "Release"
   AND (NOT CMAKE_CROSSCOMPILING OR VINDOLAR_DEB_ARCHITECTURE))
  set(deb ${CMAKE_CURRENT_BINARY_DIR}/deb)
  add_test(NAME Package.DebHoldsAWorkingToolAndItsManPage COMMAND bash -c
    [[rm -rf "$2" && "$0" -G DEB --config "$1" -B "$2" >/dev/null && "$3" "$2"/vindolar_*.deb]]
    ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}/CPackConfig.cmake ${deb} ${CMAKE_CURRENT_SOURCE_DIR}/check.sh)
  set_tests_properties(Package.DebHoldsAWorkingToolAndItsManPage PROPERTIES FIXTURES_SETUP deb)
  if(NOT CMAKE_CROSSCOMPILING)
    add_test(NAME Package.DebInstallsOnDebian11And12
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check-debian-install.sh ${deb} ${deb}-install)
    set_tests_properties(Package.DebInstallsOnDebian11And12 PROPERTIES FIXTURES_REQUIRED deb)
  endif()
endif()

get_property(checks DIRECTORY PROPERTY TESTS)
set_tests_properties(${checks} PROPERTIES LABELS package TIMEOUT 900)
