# Sound decoder: fuzz target and the program that writes its seed sounds.
zelan_add_fuzzer(fuzz_media SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_media.cpp LIBS zelan_media)

add_executable(seeds_fuzz_media ${CMAKE_CURRENT_LIST_DIR}/seeds_fuzz_media.cpp)
target_link_libraries(seeds_fuzz_media PRIVATE zelan_common Qt6::Core)

# Nothing here needs moc; without it no <target>_autogen folder sits next to the
# executables, where run-fuzzers' fuzz_* pattern would take it for a fuzz target.
set_target_properties(fuzz_media seeds_fuzz_media PROPERTIES AUTOMOC OFF)
