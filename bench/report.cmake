# velmora-bench-report: the one table of every figure beside its baseline, and bench/results.json.
# It reads figures only: Qt Core is all it needs.
add_executable(velmora-bench-report report.cpp)
target_link_libraries(velmora-bench-report PRIVATE Qt6::Core)
target_compile_options(velmora-bench-report PRIVATE ${VELMORA_WARNINGS})
