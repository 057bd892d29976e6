# The window's disk manager decided without any window: rows matched to files,
# what the viewer and "Propiedades" show. Needs no windows.
alcove_test(pruebas_gestion
  SOURCES gestion/test_gestion.cpp gestion/test_lecturas.cpp gestion/test_sectores.cpp
  LIBS alcove_gestion alcove_dskgen GTest::gtest_main)
# The disk manager's scenarios on its decisions, over fakes of the controls:
# built and run on every host that has windows, Linux and (under Wine) Windows.
# Each toolkit's own suite only checks its wiring.
if(TARGET alcove_ventanas)
  alcove_test(pruebas_paneles
    SOURCES gestion/test_paneles.cpp
    LIBS alcove_gestion alcove_ventanas alcove_comprimidos alcove_dskgen GTest::gtest_main)
  target_include_directories(pruebas_paneles PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/cli)
  target_compile_definitions(pruebas_paneles PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>")
  add_dependencies(pruebas_paneles alcove-cli)
endif()
