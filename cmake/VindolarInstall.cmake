# What `cmake --install` puts in place, and the packages CPack makes of it.
#
# Runtime: the tool, its man page and the README.
# Development: the core library, its headers and the CMake package files, so
# that another project can say find_package(Vindolar) and link Vindolar::core.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

add_library(Vindolar::core ALIAS vindolar_core)
set_target_properties(vindolar_core PROPERTIES EXPORT_NAME core)
# The headers need C++20 in the programs that include them too.
target_compile_features(vindolar_core PUBLIC cxx_std_20)

set(VINDOLAR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vindolar)
if(WIN32)
  set(VINDOLAR_DOC_DIR .)  # the README at the top of the zip
else()
  set(VINDOLAR_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vindolar)
endif()

install(TARGETS Vindolar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
configure_file(man/Vindolar.1.in ${PROJECT_BINARY_DIR}/Vindolar.1 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/Vindolar.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Runtime)
install(FILES README.md DESTINATION ${VINDOLAR_DOC_DIR} COMPONENT Runtime)

install(TARGETS vindolar_core EXPORT VindolarTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
file(GLOB VINDOLAR_HEADERS ${PROJECT_SOURCE_DIR}/src/*.h)
install(FILES ${VINDOLAR_HEADERS}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vindolar COMPONENT Development)
install(EXPORT VindolarTargets NAMESPACE Vindolar::
  DESTINATION ${VINDOLAR_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(cmake/VindolarConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VindolarConfig.cmake INSTALL_DESTINATION ${VINDOLAR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VindolarConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VindolarConfig.cmake
  ${PROJECT_BINARY_DIR}/VindolarConfigVersion.cmake
  DESTINATION ${VINDOLAR_CMAKE_DIR} COMPONENT Development)

set(CPACK_PACKAGE_NAME vindolar)
set(CPACK_PACKAGE_VENDOR "Vindolar")
set(CPACK_PACKAGE_CONTACT "Vindolar maintainers <maintainers@vindolar.invalid>")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

# Windows: one zip of everything, named Vindolar-VERSION-win64.zip.
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
if(WIN32)
  set(CPACK_PACKAGE_FILE_NAME Vindolar-${PROJECT_VERSION}-win64)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

# Debian: the tool in `vindolar`, the library in `vindolar-dev`.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME vindolar)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME vindolar-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libstdc++-dev")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION [[Converts a binary history file into a delimited text file
Vindolar reads one history file, a header and a run of signed 16-bit
samples, and writes a text file of three header lines and a table of
right-aligned samples, ten to a line, with CR LF line ends: the same bytes
on every platform.]])
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION [[Vindolar history reader and text writer (static C++20 library)
The reading and writing code of the Vindolar tool as a static library, with
its headers and CMake package files: find_package(Vindolar), then link the
target Vindolar::core.]])
set(CPACK_COMPONENTS_ALL Runtime Development)
include(CPack)
