# The reading window's half step, aya mark and click over the program folder, offscreen.
if(TARGET zelan_viewer)
  zelan_add_bench(bench_viewer SOURCES bench_viewer.cpp LIBS zelan_viewer zelan_design)
  target_compile_definitions(bench_viewer PRIVATE ZELAN_PROGRAM_DIR="${PROJECT_SOURCE_DIR}/program")
endif()
