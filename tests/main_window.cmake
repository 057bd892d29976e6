# The main window: what it shows, its controls, and the window driven through them.
find_package(Qt6 REQUIRED COMPONENTS Test)
alcove_test(pruebas_ventana_principal
  SOURCES main_window/main.cpp main_window/test_iconos.cpp main_window/test_controles.cpp
          main_window/test_ventana.cpp main_window/test_gestor.cpp
          main_window/test_gestor_confianza.cpp
  LIBS alcove_main_window alcove_dskgen Qt6::Test
  LABELS ventanas)
# The disk manager's writes are compared with alcove-cli's.
target_include_directories(pruebas_ventana_principal PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/cli)
target_compile_definitions(pruebas_ventana_principal PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>")
add_dependencies(pruebas_ventana_principal alcove-cli)

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

# The disk manager in the real program under Xvfb: drags to and from windows of
# our own (no file manager is assumed), pictures of the viewer and the menu
# left in the build folder's capturas/ to be looked at, and an image inside a
# zip viewed two hundred times, then the program ended by a signal.
add_executable(alcove_prueba_arrastre e2e/arrastre.cpp)
target_link_libraries(alcove_prueba_arrastre PRIVATE Qt6::Widgets alcove_warnings)
alcove_test(prueba_e2e_gestor
  SOURCES e2e/test_e2e_gestor.cpp e2e/test_e2e_zips.cpp
  LIBS alcove_escritorio_x alcove_dskgen alcove_comprimidos alcove_gestion
  LABELS e2e)
target_include_directories(prueba_e2e_gestor PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/cli)
target_compile_definitions(prueba_e2e_gestor PRIVATE ALCOVE_BINARIO="$<TARGET_FILE:alcove>"
                           ALCOVE_ARRASTRE="$<TARGET_FILE:alcove_prueba_arrastre>"
                           ALCOVE_CLI="$<TARGET_FILE:alcove-cli>"
                           ALCOVE_CAPTURAS="${CMAKE_BINARY_DIR}/capturas")
add_dependencies(prueba_e2e_gestor alcove alcove-cli alcove_prueba_arrastre)
