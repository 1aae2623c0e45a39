# Reliability harnesses: a fault-injecting shim loaded into veilstore-cli and
# into a driver of the window's flows, a crash harness that stops the command
# line at random moments and at every file call, and the desktop program
# stopped by signals.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_library(faultshim SHARED ${CMAKE_CURRENT_LIST_DIR}/faultshim.c)
target_link_libraries(faultshim PRIVATE dl)
set_target_properties(faultshim PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
target_compile_options(faultshim PRIVATE -Wno-pedantic -fno-sanitize=all)
target_link_options(faultshim PRIVATE -fno-sanitize=all)

if(NOT VLS_SANITIZE)
  add_test(NAME reliability_fault_injection
           COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/fault_injection.py
                   $<TARGET_FILE:veilstore-cli> $<TARGET_FILE:faultshim>)
  add_test(NAME reliability_crash_consistency
           COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/crash_consistency.py
                   $<TARGET_FILE:veilstore-cli> --trials 36 --sealed-trials 8
                   --shim $<TARGET_FILE:faultshim>)
  add_test(NAME reliability_flush_order
           COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/flush_order.py
                   $<TARGET_FILE:veilstore-cli>)
  set_tests_properties(reliability_fault_injection reliability_crash_consistency
                       reliability_flush_order PROPERTIES LABELS reliability TIMEOUT 600)
endif()

if(TARGET vls_gui AND NOT VLS_SANITIZE)
  # One flow of the main window per run, for the shim (window_driver), and a
  # helper loaded into the desktop program that answers its password dialog
  # and message boxes (window_answerer).
  add_executable(window_driver ${CMAKE_CURRENT_LIST_DIR}/window_driver.cpp)
  target_link_libraries(window_driver PRIVATE vls_gui vls_testsupport Qt6::Test)
  add_library(window_answerer MODULE ${CMAKE_CURRENT_LIST_DIR}/window_answerer.cpp)
  target_link_libraries(window_answerer PRIVATE Qt6::Widgets)
  set_target_properties(window_answerer PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

  add_test(NAME reliability_window_faults
           COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/fault_injection.py
                   $<TARGET_FILE:veilstore-cli> $<TARGET_FILE:faultshim>
                   --window $<TARGET_FILE:window_driver>)
  add_test(NAME reliability_window_signals
           COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/window_signals.py
                   $<TARGET_FILE:veilstore> $<TARGET_FILE:window_answerer>
                   $<TARGET_FILE:veilstore-cli>)
  set_tests_properties(reliability_window_faults reliability_window_signals PROPERTIES
                       LABELS reliability TIMEOUT 600 ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
