# Disk image decoding, the disk object, the file utilities and the host file layer.
alcove_test(pruebas_nucleo
  SOURCES test_formato.cpp test_disco.cpp test_extraer.cpp test_util.cpp test_archivos.cpp
          test_generador.cpp
  LIBS alcove_core alcove_dskgen GTest::gtest_main)
target_compile_definitions(pruebas_nucleo PRIVATE
  ALCOVE_CARPETA_MUESTRAS="${PROJECT_SOURCE_DIR}/samples")
