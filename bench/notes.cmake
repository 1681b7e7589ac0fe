# velmora-bench-notes: LoadNotes, SavePositions and peak memory on synthetic notes files; it also
# writes those files for the other benchmarks.
add_executable(velmora-bench-notes notes_bench.cpp BenchRecord.h SyntheticNotes.h SyntheticNotes.cpp)
target_link_libraries(velmora-bench-notes PRIVATE velmoracore)
target_compile_options(velmora-bench-notes PRIVATE ${VELMORA_WARNINGS})
