# password_shots: shows one password dialog for a screenshot under xvfb-run
# (scripts/password-screenshots writes docs/screenshots/password-*.png).
if(TARGET vls_gui)
  add_executable(password_shots ${CMAKE_CURRENT_LIST_DIR}/password_shots/password_shots.cpp)
  target_link_libraries(password_shots PRIVATE vls_gui)
endif()
