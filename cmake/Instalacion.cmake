# What `cmake --install` puts in place, in the layout Debian expects: the two
# programs, the menu entry, the icon in the hicolor theme, the AppStream
# metadata, the manual pages, bash completion and the license.
include_guard(GLOBAL)
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/Icono.cmake)

set(ALCOVE_ID example.alcove.Alcove)
set(ALCOVE_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/alcove)
set(ALCOVE_MANTENEDOR "Alcove maintainers <maintainers@users.noreply.c-seed-4de6a061.example>")

# Manual pages: scdoc sources in docs/man, turned into roff and compressed at
# build time, as Debian installs them.
find_program(ALCOVE_SCDOC scdoc REQUIRED)
find_program(ALCOVE_GZIP gzip REQUIRED)
set(_man_dir ${PROJECT_BINARY_DIR}/man)
set(_man_salidas)
foreach(_pagina alcove alcove-cli)
  set(_fuente ${PROJECT_SOURCE_DIR}/docs/man/${_pagina}.1.scd)
  add_custom_command(
    OUTPUT ${_man_dir}/${_pagina}.1 ${_man_dir}/${_pagina}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_man_dir}
    COMMAND ${CMAKE_COMMAND} -DSCDOC=${ALCOVE_SCDOC} -DFUENTE=${_fuente}
            -DSALIDA=${_man_dir}/${_pagina}.1 -P ${PROJECT_SOURCE_DIR}/cmake/PaginaManual.cmake
    COMMAND ${ALCOVE_GZIP} -9nf -k ${_man_dir}/${_pagina}.1
    DEPENDS ${_fuente} ${PROJECT_SOURCE_DIR}/cmake/PaginaManual.cmake
    COMMENT "Página de manual ${_pagina}(1)")
  list(APPEND _man_salidas ${_man_dir}/${_pagina}.1.gz)
endforeach()
add_custom_target(alcove_man ALL DEPENDS ${_man_salidas})

# The changelog, in Debian's format, compressed like the manual pages.
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/doc/changelog
               @ONLY)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
  COMMAND ${ALCOVE_GZIP} -9nf -k ${PROJECT_BINARY_DIR}/doc/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog)
add_custom_target(alcove_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog.gz)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${ALCOVE_DOCDIR})

if(TARGET alcove)
  install(TARGETS alcove RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${_man_dir}/alcove.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/data/alcove.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/${ALCOVE_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
  install(FILES ${ALCOVE_ICONO_SVG}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
  get_property(_pngs GLOBAL PROPERTY ALCOVE_ICONOS_PNG)
  foreach(_png IN LISTS _pngs)
    string(REGEX REPLACE ".*alcove-([0-9]+)\\.png$" "\\1" _lado ${_png})
    install(FILES ${_png}
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${_lado}x${_lado}/apps
            RENAME alcove.png)
  endforeach()
endif()

# The command line comes with its own manual page and completion.
if(TARGET alcove-cli)
  install(TARGETS alcove-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${_man_dir}/alcove-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/data/bash-completion/alcove-cli
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)
endif()
