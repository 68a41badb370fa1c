# Picture decoders: fuzz targets for the JPEG and button bitmap decoders, and the programs
# that write their seed pictures (with the test fixtures' writers).
zelan_add_fuzzer(fuzz_jpeg SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_jpeg.cpp LIBS zelan_ui)
zelan_add_fuzzer(fuzz_bitmap SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_bitmap.cpp LIBS zelan_ui)

foreach(seeds seeds_fuzz_jpeg seeds_fuzz_bitmap)
  add_executable(${seeds} ${CMAKE_CURRENT_LIST_DIR}/${seeds}.cpp)
  target_include_directories(${seeds} PRIVATE ${PROJECT_SOURCE_DIR}/tests/ui)
  target_link_libraries(${seeds} PRIVATE zelan_common Qt6::Gui JPEG::JPEG)
endforeach()

# Nothing here needs moc; without it no <target>_autogen folder sits next to the
# executables, where run-fuzzers' fuzz_* pattern would take it for a fuzz target.
set_target_properties(fuzz_jpeg fuzz_bitmap seeds_fuzz_jpeg seeds_fuzz_bitmap PROPERTIES AUTOMOC OFF)
