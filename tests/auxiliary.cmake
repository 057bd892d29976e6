# Progress and about windows, the LED meter and the system services they read.
find_package(Qt6 REQUIRED COMPONENTS Test)
alcove_test(pruebas_auxiliares
  SOURCES auxiliary/main.cpp auxiliary/test_progreso.cpp auxiliary/test_acerca.cpp
          auxiliary/test_servicios.cpp auxiliary/test_medidor.cpp
          auxiliary/test_extraer_ventana.cpp
  LIBS alcove_auxiliary Qt6::Test
  LABELS ventanas)
