# Loading, byte access and extraction of the disk object, each beside its baseline.
add_executable(bench_nucleo bench_nucleo.cpp Proporciones.cpp)
target_link_libraries(bench_nucleo PRIVATE alcove_core alcove_dskgen benchmark::benchmark alcove_warnings)
