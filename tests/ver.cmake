# The viewers, over bytes made in the tests; need no windows.
alcove_test(pruebas_ver
  SOURCES ver/test_basic.cpp ver/test_hex.cpp ver/test_vista.cpp ver/test_z80.cpp
          ver/test_fuentes.cpp ver/test_pantalla.cpp ver/test_tokenizar.cpp
  LIBS alcove_ver alcove_dskgen GTest::gtest_main)
