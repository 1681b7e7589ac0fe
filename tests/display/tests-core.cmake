# Entry page and search: pure text logic of velmoracore. The search test also loads back the
# synthetic notes files of the benchmarks, so it builds their generator.
velmora_add_test(tst_entrypage display/tst_entrypage.cpp)
velmora_add_test(tst_search display/tst_search.cpp ${PROJECT_SOURCE_DIR}/bench/SyntheticNotes.cpp)
velmora_add_test(tst_personalnotessearch display/tst_personalnotessearch.cpp support/TestFiles.h)
velmora_add_test(tst_nightpage display/tst_nightpage.cpp)
