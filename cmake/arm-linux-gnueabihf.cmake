# 32-bit ARM Linux with hardware floating point (Debian armhf: ARMv7-A,
# Thumb-2, VFPv3-D16), built with g++-arm-linux-gnueabihf. The programs run
# under qemu-arm as a Cortex-A8, the first ARMv7-A core.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(vindolar_triple arm-linux-gnueabihf)
set(vindolar_qemu qemu-arm -cpu cortex-a8)
set(VINDOLAR_CPU armhf)
set(VINDOLAR_DEB_ARCHITECTURE armhf)
set(VINDOLAR_RPM_ARCHITECTURE armv7hl)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
