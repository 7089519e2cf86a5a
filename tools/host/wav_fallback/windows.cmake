# Windows: libsndfile from the cross sysroot where a packager provides one,
# otherwise the built-in WAV reader and writer behind the same calls.
find_path(VARDELLINE_SNDFILE_INCLUDE sndfile.h)
find_library(VARDELLINE_SNDFILE_LIBRARY sndfile)
if(VARDELLINE_SNDFILE_INCLUDE AND VARDELLINE_SNDFILE_LIBRARY)
  add_library(vardelline_sndfile INTERFACE)
  target_include_directories(vardelline_sndfile INTERFACE ${VARDELLINE_SNDFILE_INCLUDE})
  target_link_libraries(vardelline_sndfile INTERFACE ${VARDELLINE_SNDFILE_LIBRARY})
else()
  message(STATUS "libsndfile not found for Windows: the host reads and writes WAV only")
  add_library(vardelline_sndfile STATIC ${CMAKE_CURRENT_LIST_DIR}/wav_sndfile.cpp)
  target_include_directories(vardelline_sndfile PUBLIC ${CMAKE_CURRENT_LIST_DIR})
endif()
