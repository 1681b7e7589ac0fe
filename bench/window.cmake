# velmora-bench-window: start-up to the first painted window, and filling the lists.
if(TARGET velmoraui)
  add_executable(velmora-bench-window window_bench.cpp BenchRecord.h)
  target_link_libraries(velmora-bench-window PRIVATE velmoraui)
  target_compile_options(velmora-bench-window PRIVATE ${VELMORA_WARNINGS})
endif()
