# Run by cpack once for each package it makes, with CPACK_GENERATOR set to
# that package's generator: the .deb and the RPM each take their own parts
# of the install (packaging/CMakeLists.txt names them). The archives and
# zips are set up where CPack is.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(components tool manual docs)
  # lintian's override of statically-linked-binary, for the static build.
  if(CPACK_VINDOLAR_FULLY_STATIC)
    list(APPEND components deb)
  endif()
elseif(CPACK_GENERATOR STREQUAL "RPM")
  set(components tool manual rpm)
endif()
if(components)
  set(CPACK_INSTALL_CMAKE_PROJECTS "")
  foreach(component IN LISTS components)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_VINDOLAR_BUILD_DIR} Vindolar ${component} /)
  endforeach()
endif()
