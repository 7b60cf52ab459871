# 64-bit Windows (x64), built with g++-mingw-w64-x86-64-posix and run under
# 64-bit Wine. Packaged as Vindolar-VERSION-win64.zip.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(vindolar_triple x86_64-w64-mingw32)
set(vindolar_wine_loader /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
