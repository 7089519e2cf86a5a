# Cross toolchain for 64-bit x86 Windows with Debian's mingw-w64
# (g++-mingw-w64-x86-64-posix or g++-mingw-w64-x86-64-win32).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VARDELLINE_MINGW_TRIPLET x86_64-w64-mingw32)
set(VARDELLINE_MINGW_PACKAGE x86-64-posix)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
