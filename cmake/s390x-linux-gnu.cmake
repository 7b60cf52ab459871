# 64-bit IBM Z Linux (Debian s390x), built with g++-s390x-linux-gnu and run
# under qemu-s390x: the big-endian target. Packaged as a .deb for s390x.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(vindolar_triple s390x-linux-gnu)
set(vindolar_qemu qemu-s390x)
set(VINDOLAR_DEB_ARCHITECTURE s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
