# The part that the Linux cross toolchains share. The including file sets
# CMAKE_SYSTEM_PROCESSOR, vindolar_triple (the GNU triple of Debian's
# cross compiler, g++-TRIPLE) and, for a processor that this machine cannot
# run, vindolar_qemu (the qemu-user program that runs it, and its
# arguments).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${vindolar_triple}-gcc)
set(CMAKE_CXX_COMPILER ${vindolar_triple}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${vindolar_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and test discovery run the programs, all of them static, under
# qemu-user.
if(vindolar_qemu)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${vindolar_qemu})
endif()
