# 32-bit ARM Linux with hardware floating point (Debian armhf, and Raspberry
# Pi OS, which calls ARMv6 with VFPv2 armhf too). Built as armel is, with
# g++-arm-linux-gnueabi for ARMv5TE and software floating point: the tool is
# static, so the system's floating-point convention does not matter, and
# one binary runs on the Raspberry Pi 1 and Zero as on every ARMv7 board.
# The programs run under qemu-arm as a Cortex-A7 (Raspberry Pi 2); the
# package check also runs the tool as an ARM1176.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(vindolar_triple arm-linux-gnueabi)
set(vindolar_qemu qemu-arm -cpu cortex-a7)
set(VINDOLAR_CPU armhf)
set(VINDOLAR_DEB_ARCHITECTURE armhf)
set(VINDOLAR_RPM_ARCHITECTURE armv7hl)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
