# alcove-cli as whole processes: `ls` beside `cat IMAGE > /dev/null` and beside
# cpmtools' `cpmls`, `put --tipo basic` of a 30 KB program typed as text beside
# `put --tipo ascii` of it, `put` beside
# one read and one write of the image (`dd`, with and without fsync), `find`
# over 10,000 images beside reading the first 8 KB of each on one thread, and
# `find` over one zip of 5,000 images beside `unzip -p` inflating all of it;
# `check` over 2,000 images beside `ls` over the same ones. A C++ program that
# only reads the image and prints its size, linked as alcove-cli is, is the
# floor of any C++ listing's start.
add_executable(bench_minimo_cpp minimo_cpp.cpp)
target_link_options(bench_minimo_cpp PRIVATE LINKER:--as-needed)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT ALCOVE_SANITIZE)
  target_link_options(bench_minimo_cpp PRIVATE -static-libstdc++ -static-libgcc)
endif()
target_link_libraries(bench_minimo_cpp PRIVATE alcove_warnings)
add_executable(bench_cli bench_cli.cpp Proporciones.cpp)
target_link_libraries(bench_cli PRIVATE alcove_dskgen alcove_comprimidos alcove_imagenes
                                        benchmark::benchmark
                                        alcove_warnings)
# The collection zip is written with the tests' zip maker.
target_include_directories(bench_cli PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(bench_cli PRIVATE ALCOVE_CLI="$<TARGET_FILE:alcove-cli>"
                                             MINIMO_CPP="$<TARGET_FILE:bench_minimo_cpp>")
add_dependencies(bench_cli alcove-cli bench_minimo_cpp)
