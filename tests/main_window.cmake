# The main window: what it shows, its controls, and the window driven through them.
find_package(Qt6 REQUIRED COMPONENTS Test)
alcove_test(pruebas_ventana_principal
  SOURCES main_window/main.cpp main_window/test_iconos.cpp main_window/test_controles.cpp
          main_window/test_ventana.cpp
  LIBS alcove_main_window alcove_dskgen Qt6::Test
  LABELS ventanas)

# The real program under a virtual X server (Xvfb), clicked with XTEST and read
# back with XGetImage (tools/escritorio_x).
alcove_test(prueba_e2e_ventana
  SOURCES e2e/test_e2e_ventana.cpp
  LIBS alcove_escritorio_x alcove_dskgen
  LABELS e2e)
# The progress window on its own, for the title the X server holds for it.
add_executable(alcove_muestra_progreso e2e/muestra_progreso.cpp)
target_link_libraries(alcove_muestra_progreso PRIVATE alcove_auxiliary alcove_warnings)
target_compile_definitions(prueba_e2e_ventana PRIVATE ALCOVE_BINARIO="$<TARGET_FILE:alcove>"
                           ALCOVE_MUESTRA_PROGRESO="$<TARGET_FILE:alcove_muestra_progreso>")
add_dependencies(prueba_e2e_ventana alcove alcove_muestra_progreso)
