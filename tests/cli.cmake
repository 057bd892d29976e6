# alcove-cli: its pieces, and the real program run as a process on generated
# images. Needs no windows.
alcove_test(pruebas_cli
  SOURCES cli/test_basic.cpp cli/test_piezas.cpp cli/test_programa.cpp cli/test_catalogo_breve.cpp
          cli/test_comprimidos.cpp
  LIBS alcove_cli_piezas alcove_dskgen GTest::gtest_main)
target_include_directories(pruebas_cli PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/cli)
target_compile_definitions(pruebas_cli PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>")
add_dependencies(pruebas_cli alcove-cli)

# The manual page and the bash completion offer every option the help lists.
add_test(NAME instalacion_opciones
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/instalacion/opciones_documentadas.sh
                 $<TARGET_FILE:alcove-cli>)
set_tests_properties(instalacion_opciones PROPERTIES LABELS "instalacion;sin_sanitizer" TIMEOUT 60)
