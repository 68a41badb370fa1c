zelan_add_fuzzer(fuzz_filter SOURCES fuzz_filter.cpp LIBS zelan_tables)
