# velmora-bench-search: time per keystroke of the entry search over notes files,
# beside a plain scan of the same texts.
velmora_add_bench(velmora-bench-search search_bench.cpp BenchRecord.h)
# velmora-bench-notesearch: a keystroke with the reader's own notes searched too, beside without.
velmora_add_bench(velmora-bench-notesearch notesearch_bench.cpp BenchRecord.h)
