# convert as whole processes: a 200 KB extended disk to HFE and back beside
# copying the image file (cp, and dd with conv=fsync); info of a protected
# disk beside the alcove-cli named by ALCOVE_CLI_ANTES (one built earlier).
add_executable(bench_conversion bench_conversion.cpp Proporciones.cpp)
target_link_libraries(bench_conversion PRIVATE alcove_dskgen benchmark::benchmark alcove_warnings)
target_compile_definitions(bench_conversion PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>")
add_dependencies(bench_conversion alcove-cli)
