# Cross-compiles Zorvane.exe: 32-bit (PE32, i686).
set(ZV_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
