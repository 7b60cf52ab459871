# The checks of what ships, as users get it, run by ctest beside the tests
# of the tool itself: the .exe's imports, the .msi under Wine and the .deb
# unpacked. release.sh checks the static archives and RPMs it makes.
if(WIN32)
  # The oldest Windows the tool runs on, 7 SP1, read from its import table.
  add_test(NAME Windows.ImportsAreOnWindows7
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/windows/check-imports ${CMAKE_OBJDUMP}
      $<TARGET_FILE:Vindolar> ${CMAKE_CURRENT_LIST_DIR}/windows/imports.txt)
  # The .msi under Wine: install, upgrade, refused downgrade, removal.
  if(TARGET msi AND CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME Package.MsiInstallsUpgradesAndRemoves
      COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/windows/check-msi ${VINDOLAR_MSI}
        ${CMAKE_CURRENT_BINARY_DIR}/msi ${VINDOLAR_MSI_INPUTS} ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
endif()

# The .deb. Only a Release build for Linux makes the real package: an
# instrumented build would pack other code. A cross build makes one for the
# Debian architecture its toolchain names, and the check runs the unpacked
# tool under the emulator.
if(CMAKE_BUILD_TYPE STREQUAL "Release" AND (NOT CMAKE_CROSSCOMPILING OR VINDOLAR_DEB_ARCHITECTURE)
   AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT VINDOLAR_SANITIZE AND NOT VINDOLAR_COVERAGE)
  add_test(NAME Package.DebHoldsAWorkingToolAndItsManPage
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check-deb.sh ${CMAKE_CPACK_COMMAND}
      ${PROJECT_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/deb ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()
