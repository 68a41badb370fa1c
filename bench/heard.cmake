# What the listener hears on the real sound path (needs the tests' sound server,
# scripts/sound-server): a small timing program.
if(TARGET zelan_heardrun)
  zelan_add_bench(bench_heard SOURCES bench_heard.cpp LIBS zelan_heardrun zelan_design)
  target_compile_definitions(bench_heard PRIVATE ZELAN_PROGRAM_DIR="${PROJECT_SOURCE_DIR}/program")
endif()
