# The main window: what it shows, its controls, and the window driven through them.
find_package(Qt6 REQUIRED COMPONENTS Test)
alcove_test(pruebas_ventana_principal
  SOURCES main_window/main.cpp main_window/test_presentacion.cpp main_window/test_controles.cpp
          main_window/test_ventana.cpp
  LIBS alcove_main_window alcove_dskgen Qt6::Test
  LABELS ventanas)

# The real program under a virtual X server (Xvfb), clicked with XTEST and read
# back with XGetImage; the same pieces make the README's picture.
find_package(X11 REQUIRED COMPONENTS Xtst)
add_library(alcove_escritorio_x STATIC e2e/EscritorioX.cpp)
target_include_directories(alcove_escritorio_x PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
target_link_libraries(alcove_escritorio_x PUBLIC Qt6::Gui X11::X11 X11::Xtst
                      PRIVATE alcove_warnings)

alcove_test(prueba_e2e_ventana
  SOURCES e2e/test_e2e_ventana.cpp
  LIBS alcove_escritorio_x alcove_dskgen
  LABELS "e2e;sin_sanitizer")
target_compile_definitions(prueba_e2e_ventana PRIVATE ALCOVE_BINARIO="$<TARGET_FILE:alcove>")
add_dependencies(prueba_e2e_ventana alcove)

add_executable(alcove-captura e2e/captura.cpp)
target_link_libraries(alcove-captura PRIVATE alcove_escritorio_x alcove_dskgen alcove_warnings)
target_compile_definitions(alcove-captura PRIVATE ALCOVE_BINARIO="$<TARGET_FILE:alcove>")
add_dependencies(alcove-captura alcove)
