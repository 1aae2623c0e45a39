# Warning and hardening flags for every target of the project.
add_compile_options(
  -Wall -Wextra -Wpedantic -Wshadow -Wformat=2 -Wimplicit-fallthrough
  $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor> $<$<COMPILE_LANGUAGE:CXX>:-Woverloaded-virtual>)
if(VLS_WERROR)
  add_compile_options(-Werror)
endif()
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
add_compile_options(-fstack-protector-strong)
add_link_options(-Wl,-z,relro -Wl,-z,now)

if(VLS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Helper: a GoogleTest executable registered with CTest under a label.
# Tests never write to the user's own data folder: whatever a test does not
# point elsewhere lands under the build folder.
set(vls_test_home
    "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home/share;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/config")

function(vls_add_gtest name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS "${ARG_LABEL}"
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${vls_test_home}")
endfunction()

# Helper: one Qt Test executable per widget test file, labelled "gui".
function(vls_add_qtest source)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  add_test(NAME ${name} COMMAND ${name} -platform offscreen)
  set_tests_properties(${name} PROPERTIES LABELS gui
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${vls_test_home}")
endfunction()

# Fuzz builds instrument every library for coverage; only the targets link libFuzzer's main.
if(VLS_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
