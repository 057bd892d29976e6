# The Win32 windows, cross-built and run under Wine with a display (test-windows
# starts one): the real window made in the test's process and driven by window
# messages, and alcove.exe compared with the Linux window on the same images.
if(NOT WIN32)
  return()
endif()
alcove_test(pruebas_win32
  SOURCES win32/test_ventana_win32.cpp win32/test_gestor_win32.cpp
  LIBS alcove_win32 alcove_dskgen alcove_comprimidos GTest::gtest_main
  LABELS ventanas)
# The disk manager's writes are compared with alcove-cli's.
target_include_directories(pruebas_win32 PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/cli)
target_compile_definitions(pruebas_win32 PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>")
add_dependencies(pruebas_win32 alcove-cli)

# Both programs import only DLLs that every Windows has, as the Windows zip
# needs: scripts/package-windows runs the same check on what it packs.
if(CMAKE_CROSSCOMPILING)
  add_test(NAME solo_dll_de_windows
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-windows-dlls $<TARGET_FILE:alcove-cli>
                   $<TARGET_FILE:alcove>)
  set_tests_properties(solo_dll_de_windows PROPERTIES ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP}")
endif()

set(ALCOVE_VENTANA_LINUX "" CACHE FILEPATH "The Linux alcove, for comparing alcove.exe with it")
set(ALCOVE_PANTALLAZO "" CACHE FILEPATH "alcove-pantallazo, for the screenshots under Wine")
if(CMAKE_CROSSCOMPILING AND ALCOVE_VENTANA_LINUX AND ALCOVE_PANTALLAZO
   AND CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME ventana_igual_que_en_linux
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/ventana_igual_que_en_linux.sh
                   ${ALCOVE_VENTANA_LINUX} $<TARGET_FILE:alcove> ${CMAKE_CROSSCOMPILING_EMULATOR}
                   ${PROJECT_SOURCE_DIR}/samples ${ALCOVE_PANTALLAZO}
                   ${PROJECT_BINARY_DIR}/capturas)
  set_tests_properties(ventana_igual_que_en_linux PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()

# The disk manager in the real alcove.exe under Wine, driven with xdotool: the
# viewer and a context menu (pictures left in capturas/), rows dragged to the
# other pane and to another program, a file dropped from one; the images
# checked with the Linux alcove-cli.
add_executable(alcove_prueba_arrastre_w WIN32 windows/arrastre_w.cpp)
target_link_options(alcove_prueba_arrastre_w PRIVATE -municode)
target_link_libraries(alcove_prueba_arrastre_w PRIVATE alcove_win32 alcove_warnings)
if(CMAKE_CROSSCOMPILING AND ALCOVE_CLI_LINUX AND ALCOVE_PANTALLAZO
   AND CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME gestor_en_wine
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/gestor_en_wine.sh $<TARGET_FILE:alcove>
                   ${CMAKE_CROSSCOMPILING_EMULATOR} ${PROJECT_SOURCE_DIR}/samples
                   ${ALCOVE_PANTALLAZO} ${PROJECT_BINARY_DIR}/capturas ${ALCOVE_CLI_LINUX}
                   $<TARGET_FILE:alcove_prueba_arrastre_w>)
  set_tests_properties(gestor_en_wine PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()
