# velmora-bench-window: start-up to the first painted window, and filling the lists.
if(TARGET velmoraui)
  add_executable(velmora-bench-window window_bench.cpp BenchRecord.h)
  target_link_libraries(velmora-bench-window PRIVATE velmoraui)
  target_compile_options(velmora-bench-window PRIVATE ${VELMORA_WARNINGS})
endif()
# velmora-bench-step: a Down key in the entries list until the entry page and the scan have painted.
if(TARGET velmoraui)
  add_executable(velmora-bench-step step_bench.cpp BenchRecord.h)
  target_link_libraries(velmora-bench-step PRIVATE velmoraui)
  target_compile_options(velmora-bench-step PRIVATE ${VELMORA_WARNINGS})
endif()
