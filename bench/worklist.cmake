add_executable(worklist_bench ${CMAKE_CURRENT_LIST_DIR}/worklist_bench.cpp)
target_link_libraries(worklist_bench PRIVATE vls_app benchmark::benchmark)
