# 32-bit ARM Linux before ARMv7 (Debian armel: ARMv5TE and newer, soft
# float), built with g++-arm-linux-gnueabi, for the Raspberry Pi 1 and Zero
# (ARM1176, ARMv6). The programs run under qemu-arm as that CPU, the oldest
# that the archive is made for.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(vindolar_triple arm-linux-gnueabi)
set(vindolar_qemu qemu-arm -cpu arm1176)
set(VINDOLAR_CPU armel)
set(VINDOLAR_DEB_ARCHITECTURE armel)
set(VINDOLAR_RPM_ARCHITECTURE armv5tel)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
