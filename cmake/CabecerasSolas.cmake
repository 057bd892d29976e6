# CLI11 and nlohmann/json as header-only targets for a cross build. Debian's
# own package configs add -isystem /usr/include, whose C headers break a mingw
# build; these targets see the two header folders and nothing else, through a
# folder of links in the build tree.
include_guard(GLOBAL)

set(_cabeceras ${PROJECT_BINARY_DIR}/cabeceras_solas)
file(MAKE_DIRECTORY ${_cabeceras})
foreach(_carpeta CLI nlohmann)
  if(NOT IS_DIRECTORY /usr/include/${_carpeta})
    message(FATAL_ERROR "Falta /usr/include/${_carpeta} (scripts/setup instala libcli11-dev "
                        "y nlohmann-json3-dev)")
  endif()
  file(CREATE_LINK /usr/include/${_carpeta} ${_cabeceras}/${_carpeta} SYMBOLIC)
endforeach()

foreach(_destino CLI11::CLI11 nlohmann_json::nlohmann_json)
  if(NOT TARGET ${_destino})
    add_library(${_destino} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${_destino} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_cabeceras}
                                                 INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${_cabeceras})
  endif()
endforeach()
