# Windows builds (mingw-w64): included by the top-level CMakeLists.txt before
# any target is made.

# The mingw sysroot normally has no GoogleTest or Google Benchmark: a cross
# build then leaves out the tests and benchmarks instead of failing.
if(CMAKE_CROSSCOMPILING)
  find_package(GTest QUIET)
  if(NOT GTest_FOUND AND VARDELLINE_TESTS)
    message(STATUS "GoogleTest not found for Windows: the tests are not built")
    set(VARDELLINE_TESTS OFF)
  endif()
  find_package(benchmark QUIET)
  if(NOT benchmark_FOUND AND VARDELLINE_BENCH)
    message(STATUS "Google Benchmark not found for Windows: the benchmarks are not built")
    set(VARDELLINE_BENCH OFF)
  endif()
endif()

# Hosts load the plug-in beside nothing but the system's DLLs: link the C and
# C++ runtimes and winpthread in.
add_link_options(-static)

# printf and friends from mingw's own C99-conforming implementation: the
# system's msvcrt knows neither %zu nor %lld.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # Doubles in SSE2 registers as on x86-64: the x87 unit's extended
  # intermediates would round differently. Hosts built with other compilers
  # call in with only 4-byte stack alignment, so SSE spills realign it.
  add_compile_options(-msse2 -mfpmath=sse -mstackrealign)
endif()

# The header-only libraries (CLI11, stb) are not in the mingw sysroot. Offer
# the build machine's copies through a folder that holds nothing else, so no
# other Linux header can reach the Windows build.
set(VARDELLINE_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${VARDELLINE_HEADER_ONLY_DIR})
foreach(library CLI stb)
  find_path(VARDELLINE_SYSROOT_${library} ${library} NO_CACHE)
  if(NOT VARDELLINE_SYSROOT_${library} AND IS_DIRECTORY /usr/include/${library})
    file(CREATE_LINK /usr/include/${library} ${VARDELLINE_HEADER_ONLY_DIR}/${library} SYMBOLIC)
  endif()
endforeach()
include_directories(SYSTEM ${VARDELLINE_HEADER_ONLY_DIR})
set(CLI11_INCLUDE_DIR ${VARDELLINE_HEADER_ONLY_DIR} CACHE PATH "Folder holding CLI/CLI.hpp")
