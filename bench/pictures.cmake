zelan_add_bench(bench_pictures SOURCES bench_pictures.cpp LIBS zelan_ui JPEG::JPEG)
target_include_directories(bench_pictures PRIVATE ${PROJECT_SOURCE_DIR}/tests/ui)
