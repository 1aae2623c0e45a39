# gifdump: decodes a GIF with the program's own decoder and animator and
# writes each composed frame as raw RGBA, for comparing with other decoders.
add_executable(gifdump ${CMAKE_CURRENT_LIST_DIR}/gifdump/gifdump.cpp)
target_link_libraries(gifdump PRIVATE vls_gif)
if(TARGET imaging_tests)
  add_dependencies(imaging_tests gifdump)
endif()
