# Cross toolchain for 32-bit x86 Windows with Debian's mingw-w64
# (g++-mingw-w64-i686-posix or g++-mingw-w64-i686-win32).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VARDELLINE_MINGW_TRIPLET i686-w64-mingw32)
set(VARDELLINE_MINGW_PACKAGE i686-posix)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
