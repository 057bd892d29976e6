# alcove-cli as whole processes: `ls` beside `cat IMAGE > /dev/null` and beside
# cpmtools' `cpmls`, `put --tipo basic` of a 30 KB program typed as text beside
# `put --tipo ascii` of it, `put` beside
# one read and one write of the image (`dd`, with and without fsync), `find`
# over 10,000 images beside reading the first 8 KB of each on one thread, and
# `find` over one zip of 5,000 images beside `unzip -p` inflating all of it;
# `check` over 2,000 images beside `ls` over the same ones.
add_executable(bench_cli bench_cli.cpp Proporciones.cpp)
target_link_libraries(bench_cli PRIVATE alcove_dskgen alcove_comprimidos alcove_imagenes
                                        benchmark::benchmark
                                        alcove_warnings)
# The collection zip is written with the tests' zip maker.
target_include_directories(bench_cli PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(bench_cli PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>")
add_dependencies(bench_cli alcove-cli)
