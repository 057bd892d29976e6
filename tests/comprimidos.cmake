# Images inside .zip and .gz files: the byte-level reader; needs no windows.
alcove_test(pruebas_comprimidos
  SOURCES comprimidos/test_zip.cpp
  LIBS alcove_comprimidos GTest::gtest_main)
