# velmora-bench-window: start-up to the first painted window, and filling the lists.
velmora_add_bench(velmora-bench-window window_bench.cpp BenchRecord.h GUI)
# velmora-bench-step: a Down key in the entries list until the entry page and the scan have painted.
velmora_add_bench(velmora-bench-step step_bench.cpp BenchRecord.h GUI)
