# The recitation's timing over the program folder on the null output: the position poll,
# page-turn lateness and a click to its play command (a small timing program).
if(TARGET zelan_viewer)
  zelan_add_bench(bench_player SOURCES bench_player.cpp LIBS zelan_viewer zelan_design zelan_media)
  target_compile_definitions(bench_player PRIVATE ZELAN_PROGRAM_DIR="${PROJECT_SOURCE_DIR}/program")
endif()
