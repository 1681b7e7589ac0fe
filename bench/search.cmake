# velmora-bench-search: time per keystroke of the entry search over notes files,
# beside a plain scan of the same texts.
velmora_add_bench(velmora-bench-search search_bench.cpp BenchRecord.h)
