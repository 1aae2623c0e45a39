# picture_load: loads one file with the still-picture loader and prints the
# outcome, so tests can run a load in a process of its own under a memory limit.
if(TARGET vls_picture)
  add_executable(picture_load ${CMAKE_CURRENT_LIST_DIR}/picture_load/picture_load.cpp)
  target_link_libraries(picture_load PRIVATE vls_picture)
  if(TARGET imaging_qt_tests)
    add_dependencies(imaging_qt_tests picture_load)
  endif()
endif()
