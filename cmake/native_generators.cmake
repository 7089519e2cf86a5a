# When cross-compiling, the programs that draw the editor's pictures, embed
# the font and (for the LV2 bundle of a Linux cross build) write the Turtle
# files must run on the build machine: build them with the build machine's
# own compiler from this same source tree, and use them as imported programs.
include(ExternalProject)

set(VARDELLINE_NATIVE_DIR ${CMAKE_BINARY_DIR}/native-generators)
set(VARDELLINE_NATIVE_ARTGEN ${VARDELLINE_NATIVE_DIR}/vardelline_artgen)
set(VARDELLINE_NATIVE_EMBED ${VARDELLINE_NATIVE_DIR}/vardelline_embed)
set(VARDELLINE_NATIVE_LV2_TTL ${VARDELLINE_NATIVE_DIR}/lv2/vardelline_lv2_ttl)
set(native_generators artgen embed)
if(NOT WIN32)
  list(APPEND native_generators lv2_ttl)
endif()
set(native_targets "")
set(native_byproducts "")
foreach(generator ${native_generators})
  string(TOUPPER ${generator} upper)
  list(APPEND native_targets vardelline_${generator})
  list(APPEND native_byproducts ${VARDELLINE_NATIVE_${upper}})
endforeach()

ExternalProject_Add(vardelline_native_generators
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${VARDELLINE_NATIVE_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DVARDELLINE_TESTS=OFF -DVARDELLINE_BENCH=OFF -DVARDELLINE_TOOLS=OFF
             -DVARDELLINE_FONT_DIR=${VARDELLINE_FONT_DIR}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${native_targets}
  BUILD_BYPRODUCTS ${native_byproducts}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)

foreach(generator ${native_generators})
  string(TOUPPER ${generator} upper)
  add_executable(vardelline_${generator} IMPORTED GLOBAL)
  set_target_properties(vardelline_${generator} PROPERTIES IMPORTED_LOCATION ${VARDELLINE_NATIVE_${upper}})
  add_dependencies(vardelline_${generator} vardelline_native_generators)
endforeach()
