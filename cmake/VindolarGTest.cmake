# GoogleTest for the unit tests: the installed package, or built from its
# sources when VINDOLAR_GTEST_SOURCE_DIR names them (Debian's googletest
# package puts them in /usr/src/googletest). A cross build needs the
# sources: the installed libgtest is built for the host. Without either
# there are no tests; the presets make GoogleTest required
# (CMAKE_REQUIRE_FIND_PACKAGE_GTest).
if(VINDOLAR_GTEST_SOURCE_DIR)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VINDOLAR_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest builds with its own warnings; a new compiler's warning in its
  # code is not ours to fix.
  set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
  # Nor is its speed ours to test: unoptimized it compiles in a third of the
  # time (it was the longest step of a cross build), and the tests, built as
  # the preset says, run as fast.
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(gtest PRIVATE -O0)
    target_compile_options(gtest_main PRIVATE -O0)
  endif()
else()
  find_package(GTest)
endif()
include(GoogleTest)  # gtest_discover_tests
