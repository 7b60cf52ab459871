# 32-bit x86 Linux (Debian i386), built with g++-i686-linux-gnu. Packaged as
# a .deb for i386. The tests run the programs under qemu-i386 when this
# machine cannot run 32-bit x86 programs itself (cmake/runs-i386 tells).
# -DVINDOLAR_I386_QEMU=ON or OFF decides instead.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(vindolar_triple i686-linux-gnu)
set(VINDOLAR_DEB_ARCHITECTURE i386)
if(NOT DEFINED VINDOLAR_I386_QEMU)
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/runs-i386 RESULT_VARIABLE runs_here)
  if(runs_here EQUAL 0)
    set(VINDOLAR_I386_QEMU OFF)
  else()
    set(VINDOLAR_I386_QEMU ON)
  endif()
endif()
if(VINDOLAR_I386_QEMU)
  set(vindolar_qemu qemu-i386)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
