# startup_peer: an empty Qt main window, the peer of bench/startup.sh.
if(TARGET Qt6::Widgets)
  add_executable(startup_peer ${CMAKE_CURRENT_LIST_DIR}/startup_peer.cpp)
  target_include_directories(startup_peer PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(startup_peer PRIVATE Qt6::Widgets)
endif()
