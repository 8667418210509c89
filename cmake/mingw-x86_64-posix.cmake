# Cross-compiles Zorvane64.exe: 64-bit (PE32+, x86-64).
set(ZV_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
