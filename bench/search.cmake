# velmora-bench-search: time per keystroke of the entry search over notes files,
# beside a plain scan of the same texts.
add_executable(velmora-bench-search search_bench.cpp BenchRecord.h)
target_link_libraries(velmora-bench-search PRIVATE velmoracore)
target_compile_options(velmora-bench-search PRIVATE ${VELMORA_WARNINGS})
