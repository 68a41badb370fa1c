zelan_add_bench(bench_tables SOURCES bench_tables.cpp LIBS zelan_data)
