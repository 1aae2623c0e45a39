# view_bench: click to picture on the "&Viewer" page for a 24-megapixel JPEG
# container (decrypt, load, wipe), and each step alone.
if(TARGET vls_gui)
  add_executable(view_bench ${CMAKE_CURRENT_LIST_DIR}/view_bench.cpp)
  target_link_libraries(view_bench PRIVATE vls_gui benchmark::benchmark)
endif()
