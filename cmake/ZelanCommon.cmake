# Settings shared by every target of the project: language level, warnings, sanitizers.
add_library(zelan_common INTERFACE)
target_compile_features(zelan_common INTERFACE cxx_std_20)
target_compile_options(zelan_common INTERFACE -Wall -Wextra)
target_compile_definitions(zelan_common INTERFACE QT_NO_FOREACH QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(ZELAN_WERROR)
  target_compile_options(zelan_common INTERFACE -Werror)
endif()
if(ZELAN_SANITIZE)
  target_compile_options(zelan_common INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(zelan_common INTERFACE -fsanitize=address,undefined)
endif()
if(ZELAN_FUZZ)
  # Libraries are instrumented for coverage; only the fuzz executables link the fuzzer main.
  target_compile_options(zelan_common INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(zelan_common INTERFACE -fsanitize=address,undefined)
endif()

set(ZELAN_LSAN_SUPPRESSIONS ${CMAKE_CURRENT_LIST_DIR}/../tests/lsan.supp)

set(ZELAN_TEST_MAIN ${CMAKE_CURRENT_LIST_DIR}/../tests/common/testmain.cpp)

# zelan_add_test(<name> [APP Core|Gui|Widgets] SOURCES ... LIBS ...): one Qt Test executable
# whose classes register with ZELAN_TEST_CLASS, run by CTest on the offscreen platform with
# the sanitizer settings of the build.
function(zelan_add_test name)
  cmake_parse_arguments(ARG "" "APP" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_APP)
    set(ARG_APP Core)
  endif()
  add_executable(${name} ${ARG_SOURCES} ${ZELAN_TEST_MAIN})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tests/common)
  string(TOUPPER ${ARG_APP} app)
  target_compile_definitions(${name} PRIVATE ZELAN_TEST_APP_${app})
  target_link_libraries(${name} PRIVATE zelan_common Qt6::Test Qt6::${ARG_APP} ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${ZELAN_LSAN_SUPPRESSIONS}:print_suppressions=0;ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    TIMEOUT 600)
endfunction()
