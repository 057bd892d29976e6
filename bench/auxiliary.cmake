# Extraction with the real progress window, beside one read and one write.
if(ALCOVE_BUILD_GUI)
  add_executable(bench_extraer_ventana bench_extraer_ventana.cpp Proporciones.cpp)
  target_link_libraries(bench_extraer_ventana PRIVATE alcove_auxiliary benchmark::benchmark
                        alcove_warnings)
endif()
