# The Debian package and the desktop integration: tests/packaging/check_package.sh
# builds the .deb from this build and checks it (lintian, desktop entry, file
# types, help pages). Needs the desktop program; takes well under two minutes.
if(TARGET veilstore AND NOT VLS_SANITIZE)
  add_test(NAME packaging
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_package.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(packaging PROPERTIES LABELS packaging TIMEOUT 240)
endif()
