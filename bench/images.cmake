# Page scan decoding against djpeg, and painting the page image at several zooms.
if(TARGET velmoraui)
  add_executable(velmora-bench-scan scan_bench.cpp)
  target_link_libraries(velmora-bench-scan PRIVATE velmoraui JPEG::JPEG)
  target_compile_options(velmora-bench-scan PRIVATE ${VELMORA_WARNINGS})
endif()
