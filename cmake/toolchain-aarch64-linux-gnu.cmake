# Cross toolchain for Linux on 64-bit ARM with Debian's g++-aarch64-linux-gnu.
# Libraries come from Debian's multiarch folders (/usr/lib/aarch64-linux-gnu,
# e.g. libx11-dev:arm64 for the editor window); headers that serve every
# architecture stay in /usr/include.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

find_program(VARDELLINE_ARM64_CXX aarch64-linux-gnu-g++)
find_program(VARDELLINE_ARM64_CC aarch64-linux-gnu-gcc)
if(NOT VARDELLINE_ARM64_CXX OR NOT VARDELLINE_ARM64_CC)
  message(FATAL_ERROR "aarch64-linux-gnu-g++ not found: install g++-aarch64-linux-gnu")
endif()
set(CMAKE_C_COMPILER ${VARDELLINE_ARM64_CC})
set(CMAKE_CXX_COMPILER ${VARDELLINE_ARM64_CXX})

# Libraries only from the ARM64 folders (the cross compiler's own and the
# multiarch ones); programs that run during the build from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees the ARM64 packages and the architecture-independent ones.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Lets the build (and ctest) run the ARM64 programs it made, through
# qemu-user with the ARM64 C library as the root of its library search.
find_program(VARDELLINE_QEMU_AARCH64 qemu-aarch64)
if(VARDELLINE_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VARDELLINE_QEMU_AARCH64} -L /usr/aarch64-linux-gnu)
endif()
