# Position proposals: hit rates on the demo and the harder library, a scan's layout against a plain decode.
velmora_add_bench(velmora-bench-propose propose_bench.cpp BenchRecord.h LINKS JPEG::JPEG)
