# The windows' decisions on fakes of the controls: built and run on every host
# that has windows, Linux and (under Wine) Windows.
alcove_test(pruebas_ventanas
  SOURCES ventanas/test_presentacion.cpp ventanas/test_decisiones.cpp
  LIBS alcove_ventanas alcove_gestion alcove_dskgen GTest::gtest_main)
