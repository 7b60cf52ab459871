# The part that the Windows cross toolchains share: Debian's MinGW-w64
# compilers (the posix thread model), every program linked statically so
# that it needs no MinGW DLLs, and the built programs run under Wine. The
# including file sets CMAKE_SYSTEM_PROCESSOR, vindolar_triple (the
# compiler's GNU triple) and vindolar_wine_loader (Wine's loader for the
# programs: wine64 for 64-bit ones, wine for 32-bit ones).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${vindolar_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${vindolar_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${vindolar_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${vindolar_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 7 is the oldest Windows the tool runs on: the headers then declare
# no call that a newer Windows brought, so that using one cannot compile.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests and test discovery run the .exe files through this wrapper, which
# keeps a Wine prefix of its own inside the build tree. Where Wine's loader
# cannot run here (32-bit Wine on a machine that runs no 32-bit x86 Linux
# programs), wine-run says so with status 77, the build has no emulator, and
# only the tests that run no .exe are made.
set(vindolar_wine_run
  "${CMAKE_CURRENT_LIST_DIR}/wine-run;${vindolar_wine_loader};${CMAKE_BINARY_DIR}/wine-prefix")
execute_process(COMMAND ${vindolar_wine_run} --can-run RESULT_VARIABLE wine_status ERROR_QUIET)
if(NOT wine_status EQUAL 77)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${vindolar_wine_run})
endif()
