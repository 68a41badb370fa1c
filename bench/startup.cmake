# Start-up time and memory of the program over the program folder (a small timing program: each
# sample is a fresh process).
if(TARGET zelan_app)
  zelan_add_bench(bench_startup SOURCES bench_startup.cpp LIBS zelan_app zelan_design zelan_viewer)
  target_compile_definitions(bench_startup PRIVATE ZELAN_PROGRAM_DIR="${PROJECT_SOURCE_DIR}/program")
endif()
