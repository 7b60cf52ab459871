# What `cmake --install` puts in place, and the package CPack makes of it:
# the tool, its man page, the README and the license. The core library is
# internal to the build (the tool, the tests and the benchmark link it) and
# is not installed.
include(GNUInstallDirs)

# Directories as Debian wants them (0755), whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS Vindolar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
configure_file(man/Vindolar.1.in ${PROJECT_BINARY_DIR}/Vindolar.1 @ONLY)

if(WIN32)
  # The zip: the README and the license at its top, the man page as it is.
  install(FILES ${PROJECT_BINARY_DIR}/Vindolar.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE DESTINATION .)
else()
  # The copyright file in Debian's machine-readable form, made from LICENSE:
  # its copyright line, then its text with each line indented by a blank and
  # each empty line written as " .".
  file(READ LICENSE license)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)\n(.*)" _ "${license}")
  set(VINDOLAR_COPYRIGHT "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" license)
  string(REPLACE "\n\n" "\n.\n" license "${license}")
  string(REPLACE "\n" "\n " VINDOLAR_LICENSE_TEXT " ${license}")
  configure_file(cmake/debian/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)

  # The man page and the changelog compressed as Debian wants them: gzip -9n,
  # with no name or time in the header, so that each build gives the same bytes.
  find_program(GZIP gzip REQUIRED)
  configure_file(cmake/debian/changelog ${PROJECT_BINARY_DIR}/changelog COPYONLY)
  # A new version needs its own entry on top of the changelog.
  file(STRINGS cmake/debian/changelog newest LIMIT_COUNT 1)
  if(NOT newest MATCHES "^vindolar \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "cmake/debian/changelog: the newest entry is not for ${PROJECT_VERSION}: ${newest}")
  endif()
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/Vindolar.1.gz ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND ${GZIP} -9nkf Vindolar.1 changelog
    DEPENDS ${PROJECT_BINARY_DIR}/Vindolar.1 ${PROJECT_BINARY_DIR}/changelog
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
  add_custom_target(compressed_docs ALL
    DEPENDS ${PROJECT_BINARY_DIR}/Vindolar.1.gz ${PROJECT_BINARY_DIR}/changelog.gz)

  set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/vindolar)
  install(FILES ${PROJECT_BINARY_DIR}/Vindolar.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
    DESTINATION ${doc_dir})
  # A stripped install (the package) also drops the compilers' notes in
  # .comment, as Debian's own packages do.
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:Vindolar>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
endif()

set(CPACK_PACKAGE_NAME vindolar)
set(CPACK_PACKAGE_VENDOR "Vindolar")
set(CPACK_PACKAGE_CONTACT "Vindolar maintainers <maintainers@vindolar.invalid>")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # One zip, named Vindolar-VERSION-win64.zip, or -win32.zip for 32-bit
  # Windows.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME Vindolar-${PROJECT_VERSION}-win32)
  else()
    set(CPACK_PACKAGE_FILE_NAME Vindolar-${PROJECT_VERSION}-win64)
  endif()
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A cross build names its Debian architecture in its toolchain file; CPack
# would write this machine's. dpkg-shlibdeps then needs the target's
# libc6:ARCH, installed through multiarch, to work out Depends.
if(VINDOLAR_DEB_ARCHITECTURE)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VINDOLAR_DEB_ARCHITECTURE})
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[Converts a binary history file into a delimited text file
Vindolar reads one history file, a header and a run of signed 16-bit
samples, and writes a text file of three header lines and a table of
right-aligned samples, ten to a line, with CR LF line ends: the same bytes
on every platform.]])
include(CPack)
