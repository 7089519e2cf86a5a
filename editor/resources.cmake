# Pictures and the readout font, generated and embedded at build time.
# Included by the top-level CMakeLists.txt after vardelline_editor exists.

set(VARDELLINE_FONT_DIR "/usr/share/fonts/truetype/liberation2" CACHE PATH
    "Folder of the Liberation Sans fonts (Debian package fonts-liberation2)")
set(VARDELLINE_FONT_REGULAR "${VARDELLINE_FONT_DIR}/LiberationSans-Regular.ttf")
set(VARDELLINE_FONT_BOLD "${VARDELLINE_FONT_DIR}/LiberationSans-Bold.ttf")
foreach(font IN ITEMS ${VARDELLINE_FONT_REGULAR} ${VARDELLINE_FONT_BOLD})
  if(NOT EXISTS ${font})
    message(FATAL_ERROR "${font} not found: install fonts-liberation2 or set VARDELLINE_FONT_DIR")
  endif()
endforeach()

set(VARDELLINE_ART_DIR ${CMAKE_SOURCE_DIR}/editor/art)
set(VARDELLINE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated/editor)
file(MAKE_DIRECTORY ${VARDELLINE_GENERATED_DIR})

if(CMAKE_CROSSCOMPILING)
  include(${CMAKE_SOURCE_DIR}/cmake/native_generators.cmake)
else()
add_executable(vardelline_artgen
  ${VARDELLINE_ART_DIR}/generate_art.cpp
  ${VARDELLINE_ART_DIR}/artwork.cpp
  ${VARDELLINE_ART_DIR}/art_canvas.cpp
  ${VARDELLINE_ART_DIR}/palette.cpp
  ${CMAKE_SOURCE_DIR}/editor/ui_scale.cpp)
target_include_directories(vardelline_artgen PRIVATE ${CMAKE_SOURCE_DIR})
add_executable(vardelline_embed ${VARDELLINE_ART_DIR}/embed_file.cpp)
endif()

add_custom_command(
  OUTPUT ${VARDELLINE_GENERATED_DIR}/editor_art.cpp
  COMMAND vardelline_artgen ${VARDELLINE_FONT_REGULAR} ${VARDELLINE_FONT_BOLD}
          ${VARDELLINE_GENERATED_DIR}/editor_art.cpp
  DEPENDS vardelline_artgen ${VARDELLINE_FONT_REGULAR} ${VARDELLINE_FONT_BOLD}
  COMMENT "Drawing the editor's pictures"
  VERBATIM)
add_custom_command(
  OUTPUT ${VARDELLINE_GENERATED_DIR}/readout_font.cpp
  COMMAND vardelline_embed ${VARDELLINE_FONT_REGULAR} ${VARDELLINE_GENERATED_DIR}/readout_font.cpp
          vardelline::resources kReadoutFont
  DEPENDS vardelline_embed ${VARDELLINE_FONT_REGULAR}
  COMMENT "Embedding the readout font"
  VERBATIM)

# The bold face draws the headings of pictures made at run time (scale
# factors other than 1).
add_custom_command(
  OUTPUT ${VARDELLINE_GENERATED_DIR}/heading_font.cpp
  COMMAND vardelline_embed ${VARDELLINE_FONT_BOLD} ${VARDELLINE_GENERATED_DIR}/heading_font.cpp
          vardelline::resources kHeadingFont
  DEPENDS vardelline_embed ${VARDELLINE_FONT_BOLD}
  COMMENT "Embedding the heading font"
  VERBATIM)

# The artwork's drawing code, also run by the editor for other scale factors.
target_sources(vardelline_editor PRIVATE
  ${VARDELLINE_ART_DIR}/artwork.cpp
  ${VARDELLINE_ART_DIR}/art_canvas.cpp
  ${VARDELLINE_GENERATED_DIR}/editor_art.cpp
  ${VARDELLINE_GENERATED_DIR}/readout_font.cpp
  ${VARDELLINE_GENERATED_DIR}/heading_font.cpp)
