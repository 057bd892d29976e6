# The exact CP/M reader, on images made by our generator; needs no windows.
alcove_test(pruebas_cpm
  SOURCES cpm/test_contenedor.cpp cpm/test_formatos.cpp cpm/test_catalogo.cpp
          cpm/test_extraccion.cpp cpm/test_solo_nombres.cpp cpm/test_escritura.cpp
          cpm/test_conversion.cpp cpm/test_proteccion.cpp cpm/test_flujo.cpp
          cpm/test_comprobacion.cpp cpm/test_edicion.cpp cpm/test_mapa.cpp
  LIBS alcove_cpm alcove_dskgen GTest::gtest_main)
