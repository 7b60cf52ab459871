# Makes the .deb package from the build, checks its contents and
# dependencies, installs it with dpkg into an empty root of its own and
# runs the installed tool there.
include(${CMAKE_CURRENT_LIST_DIR}/checks.cmake)

file(REMOVE_RECURSE "${WORK}")
run_or_fail(${CPACK} -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK}/packages")
file(GLOB tool_deb "${WORK}/packages/*.deb")
list(LENGTH tool_deb tool_count)
if(NOT tool_count EQUAL 1)
  message(FATAL_ERROR "Expected one package, vindolar: ${tool_deb}")
endif()

execute_process(COMMAND dpkg-deb --contents "${tool_deb}" OUTPUT_VARIABLE contents)
foreach(path ./usr/bin/Vindolar ./usr/share/man/man1/Vindolar.1.gz ./usr/share/doc/vindolar/README.md)
  if(NOT contents MATCHES " ${path}\n")
    message(FATAL_ERROR "vindolar does not hold ${path}:\n${contents}")
  endif()
endforeach()
if(contents MATCHES "include/|\\.a\n")
  message(FATAL_ERROR "vindolar holds development files:\n${contents}")
endif()

# An empty dpkg database; dependencies are not installed there.
set(root "${WORK}/root")
file(MAKE_DIRECTORY "${root}/var/lib/dpkg/info" "${root}/var/lib/dpkg/updates")
file(TOUCH "${root}/var/lib/dpkg/status")
run_or_fail(dpkg --root=${root} --log=${WORK}/dpkg.log --force-depends --force-not-root
  --install ${tool_deb})
execute_process(COMMAND dpkg --root=${root} --listfiles vindolar OUTPUT_VARIABLE listed)
if(NOT listed MATCHES "/usr/share/man/man1/Vindolar.1.gz")
  message(FATAL_ERROR "dpkg does not list the man page:\n${listed}")
endif()

# Every shared library that the installed tool needs must come from a
# package that vindolar depends on; a statically linked tool needs none.
execute_process(COMMAND dpkg-deb --field "${tool_deb}" Depends OUTPUT_VARIABLE depends
  OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND readelf --dynamic "${root}/usr/bin/Vindolar" OUTPUT_VARIABLE dynamic)
string(REGEX MATCHALL "Shared library: \\[[^]]*\\]" needed "${dynamic}")
foreach(entry IN LISTS needed)
  string(REGEX REPLACE ".*\\[(.*)\\]" "\\1" library "${entry}")
  if(library STREQUAL "libc.so.6" OR library STREQUAL "libm.so.6" OR library MATCHES "^ld-linux")
    set(package libc6)
  elseif(library STREQUAL "libstdc++.so.6")
    set(package libstdc++6)
  elseif(library STREQUAL "libgcc_s.so.1")
    set(package libgcc-s1)
  else()
    message(FATAL_ERROR "The tool needs an unexpected library: ${library}")
  endif()
  string(FIND ", ${depends}" ", ${package} (>= " at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The tool needs ${library}, but vindolar does not depend on ${package}: ${depends}")
  endif()
endforeach()
if(NOT needed AND NOT depends STREQUAL "")
  message(FATAL_ERROR "The tool is linked statically, but vindolar depends on ${depends}")
endif()

run_or_fail("${root}/usr/bin/Vindolar" "${SOURCE_DIR}/examples/sample.hst" "${WORK}/sample.txt")
expect_same_bytes("${WORK}/sample.txt" "${SOURCE_DIR}/examples/sample.txt")
