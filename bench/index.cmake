# The sura index: opening it until page 1 is shown, and a page turn, over the program folder.
if(TARGET zelan_index AND TARGET zelan_design)
  zelan_add_bench(bench_index SOURCES bench_index.cpp LIBS zelan_index zelan_design)
  target_compile_definitions(bench_index PRIVATE ZELAN_PROGRAM_DIR="${PROJECT_SOURCE_DIR}/program")
endif()
