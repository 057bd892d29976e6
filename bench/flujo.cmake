# Flux dumps decoded as whole processes: a 42-track, 2-revolution SCP of a DATA
# disk converted to an extended DSK beside cp of the SCP, and the peak memory
# of an 84-track, 5-revolution double-sided SCP's conversion.
add_executable(bench_flujo bench_flujo.cpp Proporciones.cpp)
target_link_libraries(bench_flujo PRIVATE alcove_dskgen benchmark::benchmark alcove_warnings)
target_compile_definitions(bench_flujo PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>")
add_dependencies(bench_flujo alcove-cli)
