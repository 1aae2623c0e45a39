# picture_shot: a small window with two picture controls, for a screenshot
# under xvfb-run (scripts/picture-screenshot writes docs/screenshots/picture-control.png).
if(TARGET vls_gui)
  add_executable(picture_shot ${CMAKE_CURRENT_LIST_DIR}/picture_shot/picture_shot.cpp)
  target_link_libraries(picture_shot PRIVATE vls_gui)
endif()
