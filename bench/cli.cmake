# alcove-cli as whole processes: `ls` beside `cat IMAGE > /dev/null`, `put` beside
# one read and one write of the image (`dd`, with and without fsync), and `find`
# over 10,000 images beside reading the first 8 KB of each on one thread.
add_executable(bench_cli bench_cli.cpp Proporciones.cpp)
target_link_libraries(bench_cli PRIVATE alcove_dskgen benchmark::benchmark alcove_warnings)
target_compile_definitions(bench_cli PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>")
add_dependencies(bench_cli alcove-cli)
