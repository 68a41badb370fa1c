zelan_add_bench(bench_media SOURCES bench_media.cpp LIBS zelan_media)
