# The window's disk manager decided without any window: rows matched to files,
# what the viewer and "Propiedades" show. Needs no windows.
alcove_test(pruebas_gestion
  SOURCES gestion/test_gestion.cpp gestion/test_lecturas.cpp
  LIBS alcove_gestion alcove_cli_piezas alcove_dskgen GTest::gtest_main)
