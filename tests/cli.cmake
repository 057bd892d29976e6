# alcove-cli: its pieces, and the real program run as a process on generated
# images. Needs no windows.
alcove_test(pruebas_cli
  SOURCES cli/test_piezas.cpp cli/test_programa.cpp cli/test_confianza.cpp
          cli/test_find.cpp cli/test_info.cpp cli/test_escritura.cpp cli/test_comprimidos.cpp
          cli/test_permisos.cpp
          cli/test_visores.cpp
          cli/test_conversion.cpp cli/test_tamanos.cpp cli/test_tipos.cpp cli/test_flujo.cpp
          cli/test_proteccion.cpp cli/test_ordenes_disco.cpp
  LIBS alcove_cli_piezas alcove_sumas alcove_dskgen GTest::gtest_main
  TIMEOUT 120)
target_include_directories(pruebas_cli PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/cli)
target_compile_definitions(pruebas_cli PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>")
add_dependencies(pruebas_cli alcove-cli)

# The installed pieces are checked on Linux only.
if(NOT CMAKE_CROSSCOMPILING)
# The manual page and the bash completion offer every option the help lists.
add_test(NAME instalacion_opciones
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/instalacion/opciones_documentadas.sh
                 $<TARGET_FILE:alcove-cli>)
set_tests_properties(instalacion_opciones PROPERTIES LABELS "instalacion;sin_sanitizer" TIMEOUT 60)

# The manual pages are not hyphenated with English patterns.
find_program(ALCOVE_SCDOC_PRUEBA scdoc)
find_program(ALCOVE_MAN_PRUEBA man)
if(ALCOVE_SCDOC_PRUEBA AND ALCOVE_MAN_PRUEBA)
  add_test(NAME instalacion_man_sin_guiones
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/instalacion/man_sin_guiones.sh ${ALCOVE_SCDOC_PRUEBA})
  set_tests_properties(instalacion_man_sin_guiones PROPERTIES LABELS "instalacion;sin_sanitizer"
                                                              TIMEOUT 60)
endif()

# Every README example of alcove-cli runs as printed on samples/, and the samples are healthy.
add_test(NAME instalacion_ejemplos_readme
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/instalacion/ejemplos_readme.sh
                 $<TARGET_FILE:alcove-cli> $<TARGET_FILE:alcove-dskgen>)
set_tests_properties(instalacion_ejemplos_readme PROPERTIES LABELS "instalacion;sin_sanitizer"
                                                            TIMEOUT 60)

# Bash completion offers the files inside an image for get and cat.
add_test(NAME instalacion_completado_nombres
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/instalacion/completado_nombres.sh
                 $<TARGET_FILE:alcove-cli>)
set_tests_properties(instalacion_completado_nombres
                     PROPERTIES LABELS "instalacion;sin_sanitizer" TIMEOUT 60)
endif()

# Under Wine: the same command table through the Linux alcove-cli and this one.
set(ALCOVE_CLI_LINUX "" CACHE FILEPATH "The Linux alcove-cli, for comparing the Windows one with it")
if(CMAKE_CROSSCOMPILING AND WIN32 AND ALCOVE_CLI_LINUX AND CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME cli_igual_que_en_linux
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/igual_que_en_linux.sh ${ALCOVE_CLI_LINUX}
                   $<TARGET_FILE:alcove-cli> ${CMAKE_CROSSCOMPILING_EMULATOR}
                   ${PROJECT_SOURCE_DIR}/samples)
  set_tests_properties(cli_igual_que_en_linux PROPERTIES TIMEOUT 300)
endif()
