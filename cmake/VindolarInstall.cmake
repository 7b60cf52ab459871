# What `cmake --install` puts in place, and the package CPack makes of it:
# the tool, its man page and the README. The core library is internal to
# the build (the tool, the tests and the benchmark link it) and is not
# installed.
include(GNUInstallDirs)

if(WIN32)
  set(VINDOLAR_DOC_DIR .)  # the README at the top of the zip
else()
  set(VINDOLAR_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vindolar)
endif()

install(TARGETS Vindolar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
configure_file(man/Vindolar.1.in ${PROJECT_BINARY_DIR}/Vindolar.1 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/Vindolar.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${VINDOLAR_DOC_DIR})

set(CPACK_PACKAGE_NAME vindolar)
set(CPACK_PACKAGE_VENDOR "Vindolar")
set(CPACK_PACKAGE_CONTACT "Vindolar maintainers <maintainers@vindolar.invalid>")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # One zip, named Vindolar-VERSION-win64.zip.
  set(CPACK_PACKAGE_FILE_NAME Vindolar-${PROJECT_VERSION}-win64)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[Converts a binary history file into a delimited text file
Vindolar reads one history file, a header and a run of signed 16-bit
samples, and writes a text file of three header lines and a table of
right-aligned samples, ten to a line, with CR LF line ends: the same bytes
on every platform.]])
include(CPack)
