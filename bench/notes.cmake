# velmora-bench-notes: LoadNotes, SavePositions and peak memory on synthetic notes files; it also
# writes those files for the other benchmarks.
velmora_add_bench(velmora-bench-notes notes_bench.cpp BenchRecord.h SyntheticNotes.h SyntheticNotes.cpp)
