# velmora-bench-export: exporting to TEI (the 100 MB notes) and with crops (the demo), beside reading.
velmora_add_bench(velmora-bench-export export_bench.cpp BenchRecord.h)
