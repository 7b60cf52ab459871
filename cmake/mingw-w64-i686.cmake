# 32-bit Windows (x86), built with g++-mingw-w64-i686-posix and run under
# 32-bit Wine (wine32:i386), which needs a machine that runs 32-bit x86
# Linux programs; elsewhere only the .exe's header and the installer (under
# 64-bit Wine) are checked.
# Packaged as Vindolar-VERSION-win32.zip.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(vindolar_triple i686-w64-mingw32)
set(vindolar_wine_loader /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
