# 64-bit ARM Linux (Debian arm64), built with g++-aarch64-linux-gnu and run
# under qemu-aarch64. Packaged as a .deb for arm64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(vindolar_triple aarch64-linux-gnu)
set(vindolar_qemu qemu-aarch64)
set(VINDOLAR_DEB_ARCHITECTURE arm64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
