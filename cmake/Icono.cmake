# The program's icon: PNGs at the usual hicolor sizes drawn at build time from
# data/icono/alcove.svg with rsvg-convert. The window takes them from a Qt
# resource and the install rules put them in the hicolor theme.

set(ALCOVE_ICONO_SVG ${PROJECT_SOURCE_DIR}/data/icono/alcove.svg)
set(ALCOVE_ICONO_LADOS 16 22 24 32 48 64 128 256)

# alcove_iconos_png(<var>): rules, in the calling folder, that draw one PNG per
# size into its build folder's iconos/; <var> receives their paths.
function(alcove_iconos_png variable)
  find_program(ALCOVE_RSVG_CONVERT rsvg-convert REQUIRED)
  set(_pngs)
  foreach(_lado IN LISTS ALCOVE_ICONO_LADOS)
    set(_png ${CMAKE_CURRENT_BINARY_DIR}/iconos/alcove-${_lado}.png)
    add_custom_command(
      OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/iconos
      COMMAND ${ALCOVE_RSVG_CONVERT} -w ${_lado} -h ${_lado} -o ${_png} ${ALCOVE_ICONO_SVG}
      DEPENDS ${ALCOVE_ICONO_SVG}
      COMMENT "Icono de ${_lado} px"
      VERBATIM)
    list(APPEND _pngs ${_png})
  endforeach()
  set_property(GLOBAL PROPERTY ALCOVE_ICONOS_PNG ${_pngs})
  set(${variable} ${_pngs} PARENT_SCOPE)
endfunction()
