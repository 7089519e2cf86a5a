# When cross-compiling, the programs that draw the editor's pictures and embed
# the font must run on the build machine: build them with the build machine's
# own compiler from this same source tree, and use them as imported programs.
include(ExternalProject)

set(VARDELLINE_NATIVE_DIR ${CMAKE_BINARY_DIR}/native-generators)
set(VARDELLINE_NATIVE_ARTGEN ${VARDELLINE_NATIVE_DIR}/vardelline_artgen)
set(VARDELLINE_NATIVE_EMBED ${VARDELLINE_NATIVE_DIR}/vardelline_embed)

ExternalProject_Add(vardelline_native_generators
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${VARDELLINE_NATIVE_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DVARDELLINE_TESTS=OFF -DVARDELLINE_BENCH=OFF -DVARDELLINE_TOOLS=OFF
             -DVARDELLINE_FONT_DIR=${VARDELLINE_FONT_DIR}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target vardelline_artgen vardelline_embed
  BUILD_BYPRODUCTS ${VARDELLINE_NATIVE_ARTGEN} ${VARDELLINE_NATIVE_EMBED}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)

foreach(generator artgen embed)
  string(TOUPPER ${generator} upper)
  add_executable(vardelline_${generator} IMPORTED GLOBAL)
  set_target_properties(vardelline_${generator} PROPERTIES IMPORTED_LOCATION ${VARDELLINE_NATIVE_${upper}})
  add_dependencies(vardelline_${generator} vardelline_native_generators)
endforeach()
