# viewer_shots: the main window's viewer showing a still picture or an
# animated GIF, captured from the screen (run under xvfb-run).
if(TARGET vls_gui)
  add_executable(viewer_shots ${CMAKE_CURRENT_LIST_DIR}/viewer_shots/viewer_shots.cpp)
  target_link_libraries(viewer_shots PRIVATE vls_gui vls_testsupport Qt6::Test)
  target_compile_definitions(viewer_shots PRIVATE
                             VLS_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
endif()
