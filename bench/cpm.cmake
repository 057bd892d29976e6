# The exact CP/M reader: reading a catalogue and extracting every file, each
# beside the plain copy that does the least the same work needs.
add_executable(bench_cpm bench_cpm.cpp Proporciones.cpp)
target_link_libraries(bench_cpm PRIVATE alcove_cpm alcove_dskgen benchmark::benchmark alcove_warnings)
