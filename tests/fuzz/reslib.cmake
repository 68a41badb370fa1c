# Resource library reader: fuzz target and the program that writes its seed libraries.
zelan_add_fuzzer(fuzz_reslib SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_reslib.cpp LIBS zelan_reslib)

add_executable(seeds_fuzz_reslib ${CMAKE_CURRENT_LIST_DIR}/seeds_fuzz_reslib.cpp)
target_link_libraries(seeds_fuzz_reslib PRIVATE zelan_common zelan_reslib)

# Nothing here needs moc; without it no <target>_autogen folder sits next to the
# executables, where run-fuzzers' fuzz_* pattern would take it for a fuzz target.
set_target_properties(fuzz_reslib seeds_fuzz_reslib PROPERTIES AUTOMOC OFF)
