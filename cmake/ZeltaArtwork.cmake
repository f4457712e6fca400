# zelta_render_svg(OUTPUT out.png SOURCE art.svg WIDTH w [HEIGHT h])
# Adds a build rule that renders one of our SVG sources to a PNG of that size
# with zelta-svgrender. Collect the outputs in a target's sources (or a
# custom target) so they are made before they are used.
function(zelta_render_svg)
  cmake_parse_arguments(R "" "OUTPUT;SOURCE;WIDTH;HEIGHT" "" ${ARGN})
  if(NOT R_HEIGHT)
    set(R_HEIGHT ${R_WIDTH})
  endif()
  get_filename_component(dir ${R_OUTPUT} DIRECTORY)
  add_custom_command(OUTPUT ${R_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND zelta-svgrender ${R_SOURCE} ${R_OUTPUT} ${R_WIDTH} ${R_HEIGHT}
    DEPENDS ${R_SOURCE} zelta-svgrender
    VERBATIM)
endfunction()
