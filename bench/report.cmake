# Printing the whole portion: the options window's OK to the report's pages written as PDF,
# over the program folder, offscreen.
if(TARGET zelan_design)
  zelan_add_bench(bench_report SOURCES bench_report.cpp LIBS zelan_translation zelan_design Qt6::PrintSupport)
  target_compile_definitions(bench_report PRIVATE ZELAN_PROGRAM_DIR="${PROJECT_SOURCE_DIR}/program")
endif()
