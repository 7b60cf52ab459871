# 32-bit ARM Linux with hardware floating point (Debian armhf), built with
# g++-arm-linux-gnueabihf and run under qemu-arm. Packaged as a .deb for
# armhf.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(vindolar_triple arm-linux-gnueabihf)
set(vindolar_qemu qemu-arm)
set(VINDOLAR_DEB_ARCHITECTURE armhf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
