# The recitation's sequencing over the program folder: the whole portion on the virtual clock
# (processor time, memory) and the gap between sounds on the null output.
if(TARGET zelan_viewer)
  zelan_add_bench(bench_recitation SOURCES bench_recitation.cpp LIBS zelan_viewer zelan_design zelan_media)
  target_compile_definitions(bench_recitation PRIVATE ZELAN_PROGRAM_DIR="${PROJECT_SOURCE_DIR}/program")
endif()
