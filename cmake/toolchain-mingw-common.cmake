# Shared part of the mingw-w64 cross toolchains: set VARDELLINE_MINGW_TRIPLET
# (i686-w64-mingw32 or x86_64-w64-mingw32) before including this file.
set(CMAKE_SYSTEM_NAME Windows)

# Debian ships a posix-threads and a win32-threads variant of each compiler;
# either works, as the plug-in and host are linked fully static.
foreach(variant posix win32 "")
  set(suffix "")
  if(variant)
    set(suffix "-${variant}")
  endif()
  find_program(VARDELLINE_MINGW_CXX ${VARDELLINE_MINGW_TRIPLET}-g++${suffix})
  find_program(VARDELLINE_MINGW_CC ${VARDELLINE_MINGW_TRIPLET}-gcc${suffix})
endforeach()
if(NOT VARDELLINE_MINGW_CXX OR NOT VARDELLINE_MINGW_CC)
  message(FATAL_ERROR "${VARDELLINE_MINGW_TRIPLET}-g++ not found: install g++-mingw-w64-${VARDELLINE_MINGW_PACKAGE}")
endif()
set(CMAKE_C_COMPILER ${VARDELLINE_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VARDELLINE_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VARDELLINE_MINGW_TRIPLET}-windres)

# Libraries and headers come from the mingw sysroot only; programs that run
# during the build come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VARDELLINE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Lets the build run the Windows programs it made, e.g. for ctest.
find_program(VARDELLINE_WINE wine)
if(VARDELLINE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VARDELLINE_WINE})
endif()
