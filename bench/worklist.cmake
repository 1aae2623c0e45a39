add_executable(worklist_bench ${CMAKE_CURRENT_LIST_DIR}/worklist_bench.cpp)
target_link_libraries(worklist_bench PRIVATE vls_app benchmark::benchmark)
# "Add A&ll" in the headless window: time, peak memory and whether it answers.
if(TARGET vls_gui)
  add_executable(worklist_window ${CMAKE_CURRENT_LIST_DIR}/worklist_window.cpp)
  target_link_libraries(worklist_window PRIVATE vls_gui)
endif()
