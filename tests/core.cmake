# Disk image decoding, the disk object, the file utilities and the host file layer.
alcove_test(pruebas_nucleo
  SOURCES test_formato.cpp test_disco.cpp test_extraer.cpp test_util.cpp test_archivos.cpp
          test_generador.cpp test_reemplazo.cpp test_sumas.cpp
  LIBS alcove_core alcove_sumas alcove_dskgen GTest::gtest_main)
target_compile_definitions(pruebas_nucleo PRIVATE
  ALCOVE_CARPETA_MUESTRAS="${PROJECT_SOURCE_DIR}/samples")

if(CMAKE_CROSSCOMPILING)
  return() # the checks below run host tools on the build machine's own build
endif()

# Alcove added to another project with add_subdirectory, with Qt out of reach:
# configure, build the program (and so only what it links, as its own build
# would: building all of Alcove again here cost the gate minutes), check no Qt
# library is loaded, run.
add_test(NAME ConsumidorConAddSubdirectory
  COMMAND ${CMAKE_COMMAND} -E env CC=${CMAKE_C_COMPILER} CXX=${CMAKE_CXX_COMPILER}
          sh -c "${CMAKE_COMMAND} -S ${CMAKE_CURRENT_SOURCE_DIR}/consumidor -B ${CMAKE_CURRENT_BINARY_DIR}/consumidor -G Ninja -DALCOVE_RAIZ=${PROJECT_SOURCE_DIR} >/dev/null && ${CMAKE_COMMAND} --build ${CMAKE_CURRENT_BINARY_DIR}/consumidor --target consumidor >/dev/null && ! ldd ${CMAKE_CURRENT_BINARY_DIR}/consumidor/consumidor | grep -i qt && ${CMAKE_CURRENT_BINARY_DIR}/consumidor/consumidor ${PROJECT_SOURCE_DIR}/samples/juegos.dsk")
set_tests_properties(ConsumidorConAddSubdirectory PROPERTIES LABELS sin_sanitizer TIMEOUT 300)

# Nothing under src/platform/ includes a Qt Widgets header: window code lives in
# src/ui/.
add_test(NAME PlataformaSinWidgets
  COMMAND ${CMAKE_COMMAND} -DCARPETA=${PROJECT_SOURCE_DIR}/src/platform
          "-DCABECERAS_WIDGETS=${Qt6Widgets_INCLUDE_DIRS}"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/guiones/SinWidgets.cmake)
set_tests_properties(PlataformaSinWidgets PROPERTIES LABELS sin_sanitizer)
