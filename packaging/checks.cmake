# The checks of what ships, as users get it, run by ctest beside the tests of
# the tool itself, with the label `package`: the .exe's imports, the .msi
# under Wine, the .deb. packaging/release.sh runs these scripts too, and
# checks every archive and RPM it makes.
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

# The .deb of the static build, as the release makes it, for the Debian
# architecture of this machine or the one the toolchain names; a cross
# build's tool runs under the emulator.
if(VINDOLAR_FULLY_STATIC AND CMAKE_BUILD_TYPE STREQUAL "Release"
   AND (NOT CMAKE_CROSSCOMPILING OR VINDOLAR_DEB_ARCHITECTURE))
  add_test(NAME Package.DebHoldsAWorkingToolAndItsManPage
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check-deb.sh ${CMAKE_CPACK_COMMAND}
      ${PROJECT_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/deb ${CMAKE_CROSSCOMPILING_EMULATOR})
  # This machine's .deb installed by apt-get into the oldest and the newest
  # Debian release supported, made once into a cache folder outside the build.
  if(NOT CMAKE_CROSSCOMPILING)
    add_test(NAME Package.DebInstallsOnDebian11And12
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check-debian-install.sh
        ${CMAKE_CURRENT_BINARY_DIR}/deb ${CMAKE_CURRENT_BINARY_DIR}/debian-install)
    set_tests_properties(Package.DebHoldsAWorkingToolAndItsManPage PROPERTIES FIXTURES_SETUP deb)
    set_tests_properties(Package.DebInstallsOnDebian11And12 PROPERTIES FIXTURES_REQUIRED deb)
  endif()
endif()

get_property(checks DIRECTORY PROPERTY TESTS)
set_tests_properties(${checks} PROPERTIES LABELS package TIMEOUT 900)
