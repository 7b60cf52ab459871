# The Windows installer beside the zip: Vindolar-VERSION-win64.msi, or
# -win32.msi for 32-bit Windows, made by make-msi with wixl and msibuild
# (Debian's wixl and msitools). The target msi is part of the default build
# where both are found; VINDOLAR_REQUIRE_MSI makes them required.
option(VINDOLAR_REQUIRE_MSI "Fail to configure a Windows build without wixl and msibuild" OFF)
if(VINDOLAR_REQUIRE_MSI)
  set(vindolar_msi_required REQUIRED)
endif()
find_program(WIXL wixl ${vindolar_msi_required})
find_program(MSIBUILD msibuild ${vindolar_msi_required})
if(NOT WIXL OR NOT MSIBUILD)
  message(STATUS "wixl or msibuild not found: no .msi is built")
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VINDOLAR_MSI ${PROJECT_BINARY_DIR}/Vindolar-${PROJECT_VERSION}-win32.msi)
  set(vindolar_msi_arch x86)
else()
  set(VINDOLAR_MSI ${PROJECT_BINARY_DIR}/Vindolar-${PROJECT_VERSION}-win64.msi)
  set(vindolar_msi_arch x64)
endif()
# What make-msi takes after the package's name and version; the test makes
# a lower version from the same.
set(VINDOLAR_MSI_INPUTS ${vindolar_msi_arch} ${CMAKE_STRIP} $<TARGET_FILE:Vindolar>
  ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/Vindolar.1)
add_custom_command(OUTPUT ${VINDOLAR_MSI}
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/make-msi ${VINDOLAR_MSI} ${PROJECT_VERSION} ${VINDOLAR_MSI_INPUTS}
  DEPENDS Vindolar ${CMAKE_CURRENT_LIST_DIR}/make-msi ${CMAKE_CURRENT_LIST_DIR}/Vindolar.wxs
    ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/Vindolar.1
  VERBATIM)
add_custom_target(msi ALL DEPENDS ${VINDOLAR_MSI})
