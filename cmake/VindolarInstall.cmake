# What `cmake --install` puts in place, and the package CPack makes of it:
# the tool, its man page, the README and the license. The core library is
# internal to the build (the tool, the tests and the benchmark link it) and
# is not installed.
include(GNUInstallDirs)

# Directories as Debian wants them (0755), whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS Vindolar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
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
  endif()" COMPONENT tool)

  # The static archive's own files: the README, the license and the
  # changelog at its top, the man page as it is. They stay out of a plain
  # install, the .deb and the RPM, which have theirs in share/doc.
  if(VINDOLAR_FULLY_STATIC)
    install(FILES README.md LICENSE ${PROJECT_BINARY_DIR}/changelog DESTINATION .
      COMPONENT archive EXCLUDE_FROM_ALL)
    install(FILES ${PROJECT_BINARY_DIR}/Vindolar.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
      COMPONENT archive EXCLUDE_FROM_ALL)
  endif()
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
elseif(VINDOLAR_FULLY_STATIC)
  # Vindolar-VERSION-linux-CPU.tar.gz: the tool and the archive's own files
  # under one top folder of that name. The RPM (cpack -G RPM) is the
  # monolithic install, as the .deb is.
  set(cpu ${CMAKE_SYSTEM_PROCESSOR})
  if(cpu STREQUAL "arm")
    set(cpu armhf)
  endif()
  set(CPACK_PACKAGE_FILE_NAME Vindolar-${PROJECT_VERSION}-linux-${cpu})
  set(CPACK_GENERATOR TGZ)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_COMPONENTS_ALL tool archive)
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/VindolarSourceDate.cmake)
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
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts a binary history file into a delimited text file")
set(description [[Vindolar reads one history file, a header and a run of signed 16-bit
samples, and writes a text file of three header lines and a table of
right-aligned samples, ten to a line, with CR LF line ends: the same bytes
on every platform.]])
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${description}")  # CPack puts the summary on top

# The RPM, made from the fully static build: it holds what the .deb holds
# and requires nothing, not even a C library. rpmbuild would add
# /usr/lib/.build-id links to it, which the .deb does not have. The last
# three settings make the package's bytes depend on the sources alone: its
# build time and file times from SOURCE_DATE_EPOCH, and no host name.
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_DESCRIPTION "${description}")
set(CPACK_RPM_PACKAGE_AUTOREQ OFF)
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1)
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _build_id_links none
%define packager ${CPACK_PACKAGE_CONTACT}
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _buildhost reproducible")
include(CPack)
