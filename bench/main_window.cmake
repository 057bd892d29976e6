# The main window: relisting a big folder beside std::filesystem, and opening an
# image in a pane.
if(ALCOVE_BUILD_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(bench_ventana_principal bench_ventana_principal.cpp Proporciones.cpp)
  target_link_libraries(bench_ventana_principal PRIVATE alcove_main_window alcove_dskgen Qt6::Test
                        benchmark::benchmark alcove_warnings)
endif()
